#include "service_client/list_download.h"

#include "catalogue/lookups.h"
#include "catalogue/package.h"
#include "common/files.h"
#include "protocol/list_response.h"
#include "service_client/download_progress.h"
#include "service_client/http_get.h"
#include "service_client/service_urls.h"

namespace vistrel {

namespace {

ListDownloadResult Fail(std::string status) {
  return {std::move(status), false};
}

ListDownloadResult Finish(const Result<std::string>& got, const std::filesystem::path& data_dir) {
  if (!got.ok()) return Fail(got.error);
  const ListResponse response = CheckListResponse(*got.value);
  switch (response.kind) {
    case ListResponseKind::kIncomplete:
      return Fail(kStatusIncomplete);
    case ListResponseKind::kMessage:
      return Fail(DecodeServiceMessage(response.payload));
    case ListResponseKind::kUnknownProtocol:
      return Fail(kStatusUnknownProtocol);
    case ListResponseKind::kPackage:
      break;
  }
  // A package that passed the answer's checks may still not load; stored, it would replace a
  // working list and stop the next start. It is loaded once into a scratch catalogue first.
  try {
    Catalogue scratch;
    ClearCatalogue(scratch);
    LoadChannelPackageBytes(scratch, {}, std::string(response.payload));
  } catch (const Error& e) {
    return Fail(std::string(kStatusUnusablePackage) + e.what());
  }
  const Outcome written = WriteFileAtomically(data_dir / kPackageFileName, response.payload);
  if (!written.ok()) return Fail(written.error);
  return {kStatusComplete, true};
}

}  // namespace

ListDownloadResult DownloadChannelList(const ServiceConfig& service,
                                       const ListDownloadRequest& request,
                                       const ListDownloadHooks& hooks) {
  const std::string url =
      ListDownloadUrl(service.base_url, request.access_key, request.version_text);
  HttpGetHooks get;
  get.begin = hooks.begin;
  get.step = [&](int64_t count, int64_t total) {
    if (hooks.progress) {
      if (const auto percent = ProgressPercent(count, total)) {
        try {
          hooks.progress(*percent, DownloadingStatus(count, total));
        } catch (...) {
          // A failed display update must not stop the transfer.
        }
      }
    }
    return CancelCanStop(count, total) && hooks.cancel_requested && hooks.cancel_requested();
  };
  return Finish(HttpGet(url, ServiceUserAgent(), get, kListDownloadLimits), request.data_dir);
}

}  // namespace vistrel
