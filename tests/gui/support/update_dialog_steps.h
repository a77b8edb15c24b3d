#pragma once
// Steps for the list-download dialog as a user takes them.

#include "support/modal_driver.h"

namespace vistrel {

// The next modal window is the download dialog: once its download has ended, Close (or its
// close box, with `close_box`) ends it.
void CloseWhenDownloadEnds(ModalDriver& driver, bool close_box = false);

}  // namespace vistrel
