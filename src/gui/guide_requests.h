#pragma once
// The programme guide's requests to the catalogue service, run on the program's request runner
// so the window never waits on the network. Answers come back on the GUI thread, and never
// once this object is gone.

#include <QObject>
#include <cstdint>
#include <functional>
#include <vector>

#include "common/error.h"
#include "service_client/programme_guide.h"
#include "service_client/request_runner.h"
#include "service_client/service_config.h"

namespace vistrel {

class GuideRequests : public QObject {
  Q_OBJECT

 public:
  // `runner` outlives this object's requests (the window that owns both ends it first).
  GuideRequests(RequestRunner& runner, ServiceConfig service, QObject* parent = nullptr);

  // Every channel's programme now and next. `done` gets the guide or the reason there is none
  // (a service without a guide answers 404).
  void FetchNowAndNext(std::function<void(Result<NowAndNextGuide>)> done);
  // One channel's programmes of the coming day.
  void FetchChannel(int32_t channel_id,
                    std::function<void(Result<std::vector<GuideProgramme>>)> done);

 private:
  RequestRunner& runner_;
  ServiceConfig service_;
};

}  // namespace vistrel
