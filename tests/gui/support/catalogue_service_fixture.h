#pragma once
// A real catalogue service on 127.0.0.1 for the window tests: its database imported from small
// tables written to a temporary folder, packages built with the build's key.

#include <filesystem>
#include <memory>
#include <string>

#include "server/catalogue_service.h"
#include "support/temp_dir.h"

namespace vistrel {

class CatalogueServiceFixture {
 public:
  // `extra_channels` adds that many generated TV channels with texts that compress poorly, so
  // that the package takes many progress steps to arrive.
  explicit CatalogueServiceFixture(const std::string& access_key = build::kAccessKey,
                                   int extra_channels = 0);

  std::string base_url() const { return service_->BaseUrl(); }
  // The version stamp of the served catalogue.
  std::string version() const;
  const std::filesystem::path& folder() const { return dir_.path(); }

 private:
  TempDir dir_;
  std::unique_ptr<CatalogueService> service_;
};

}  // namespace vistrel
