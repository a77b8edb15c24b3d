#pragma once
// The window's side of the request runner: results are run on the GUI thread, each tied to a
// context object, so nothing arrives for an object that is gone.

#include <QObject>

#include "service_client/request_runner.h"

namespace vistrel {

// A post back that runs each delivered function on `context`'s thread, from its event loop,
// while `context` lives; once it is destroyed, deliveries are dropped. Safe to call from any
// thread. Never fails.
PostBack PostTo(QObject* context);

}  // namespace vistrel
