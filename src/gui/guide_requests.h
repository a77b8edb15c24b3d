#pragma once
// The programme guide's requests to the catalogue service, each on a thread of its own so the
// window never waits on the network. Answers come back as queued calls on the GUI thread, and
// never once this object is gone (a request still running then is left to end on its own).

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "common/error.h"
#include "service_client/programme_guide.h"
#include "service_client/service_config.h"

namespace vistrel {

class GuideRequests : public QObject {
  Q_OBJECT

 public:
  // `service` is copied without its event pump: the requests run off the GUI thread.
  explicit GuideRequests(ServiceConfig service, QObject* parent = nullptr);
  ~GuideRequests() override;

  // Every channel's programme now and next. `done` gets the guide or the reason there is none
  // (a service without a guide answers 404).
  void FetchNowAndNext(std::function<void(Result<NowAndNextGuide>)> done);
  // One channel's programmes of the coming day.
  void FetchChannel(int32_t channel_id,
                    std::function<void(Result<std::vector<GuideProgramme>>)> done);

 private:
  struct Mailbox;
  // Runs `fetch` on a new thread and hands its result to `done` on this object's thread.
  template <typename T>
  void Run(std::function<Result<T>()> fetch, std::function<void(Result<T>)> done);

  ServiceConfig service_;
  std::shared_ptr<Mailbox> mailbox_;
};

}  // namespace vistrel
