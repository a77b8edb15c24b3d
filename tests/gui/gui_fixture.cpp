#include "gui_fixture.h"

#include <QApplication>
#include <QTest>
#include <cstdlib>

#include "catalogue/package.h"
#include "gui/program_entry.h"

namespace vistrel {

std::string TestPackage(const std::string& tv) {
  return BuildPackage({
      {"version.dat", "201003141530"},
      {"countries.dat", "0|All Countries\r\n7|Norway\r\n"},
      {"genres.dat", "0|All Genres\r\n5|News\r\n6|Music\r\n"},
      {"tv.dat", tv},
      {"radio.dat", "10|Radio News|http://127.0.0.1/r|128|1||7|5||0|0|0|0|0|0|0\r\n"},
  });
}

ProgramRun::ProgramRun() : data_(dir_.path() / "share" / "Orvane" / "Vistrel") {
  ::setenv("XDG_DATA_HOME", (dir_.path() / "share").c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (dir_.path() / "config").c_str(), 1);
}

ProgramRun::~ProgramRun() {
  window_.reset();
}

void ProgramRun::Put(const char* name, const std::string& bytes) const {
  WriteTestFile(data_ / name, bytes);
}

std::string ProgramRun::Get(const char* name) const {
  return ReadTestFile(data_ / name);
}

bool ProgramRun::Start() {
  window_ = StartProgram(
      [this](QWidget*) {
        auto player = std::make_unique<FakeMediaPlayer>();
        player_ = player.get();
        return player;
      },
      [] { return 40252.0; });  // 15 March 2010, a day after the test package's version
  if (!window_) return false;
  window_->ShowCentred();
  return QTest::qWaitForWindowExposed(window_.get());
}

MessageBoxAnswerer::MessageBoxAnswerer(QMessageBox::StandardButton button) {
  timer_.setInterval(10);
  connect(&timer_, &QTimer::timeout, this, [this, button] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->isVisible()) return;
    texts << box->text();
    if (QAbstractButton* b = box->button(button)) {
      b->click();
    } else {
      box->reject();
    }
  });
  timer_.start();
}

}  // namespace vistrel
