#pragma once
// The frame around the video area: silver shading to grey.

#include <QWidget>

namespace vistrel {

class PlayerFrame : public QWidget {
  Q_OBJECT

 public:
  explicit PlayerFrame(QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vistrel
