#pragma once
// The picture of a libmpv instance, drawn through its render interface into an OpenGL widget.
// It only draws: frames are rendered on the GUI thread without waiting for their display time,
// and the engine's "new frame" notices arrive as queued repaints (drawn at once while the window
// is minimised or hidden, where a repaint would be skipped).

#include <QOpenGLWidget>

struct mpv_handle;
struct mpv_render_context;

namespace vistrel {

class MpvVideoWidget : public QOpenGLWidget {
 public:
  // `mpv` must outlive the widget's use of it: call ReleaseEngine before destroying it.
  MpvVideoWidget(mpv_handle* mpv, QWidget* parent);
  ~MpvVideoWidget() override;

  // Frees the render context and lets go of the engine; the widget draws black from then on.
  void ReleaseEngine();
  // While kept, the widget shows the last picture it drew and nothing the engine announces,
  // until it is told to stop keeping (the stream plays again): the engine, between two loads,
  // would draw black. Never fails.
  void SetKeepPicture(bool keep);

 protected:
  // Creates the render context; on failure the widget stays black and the engine plays sound
  // only.
  void initializeGL() override;
  void paintGL() override;

 private:
  void FreeRenderContext();
  void OnRenderUpdate();

  mpv_handle* mpv_;
  mpv_render_context* render_ = nullptr;
  bool keep_picture_ = false;
  bool frame_waiting_ = false;  // a new frame asked for the repaint that has not come yet
};

}  // namespace vistrel
