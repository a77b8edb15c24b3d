#include "playback/mpv/mpv_video_widget.h"

#include <mpv/render_gl.h>

#include <QMetaObject>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWindow>

namespace vistrel {

namespace {

void* GetProcAddress(void*, const char* name) {
  QOpenGLContext* context = QOpenGLContext::currentContext();
  if (context == nullptr) return nullptr;
  return reinterpret_cast<void*>(context->getProcAddress(QByteArray(name)));
}

}  // namespace

MpvVideoWidget::MpvVideoWidget(mpv_handle* mpv, QWidget* parent)
    : QOpenGLWidget(parent), mpv_(mpv) {
  // The framebuffer keeps what was drawn last, so a kept picture survives a repaint.
  setUpdateBehavior(QOpenGLWidget::PartialUpdate);
  connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
    if (render_ != nullptr) mpv_render_context_report_swap(render_);
  });
}

MpvVideoWidget::~MpvVideoWidget() {
  if (context() != nullptr) disconnect(context(), nullptr, this, nullptr);
  ReleaseEngine();
}

void MpvVideoWidget::ReleaseEngine() {
  if (render_ != nullptr) {
    makeCurrent();
    FreeRenderContext();
    doneCurrent();
  }
  mpv_ = nullptr;
}

void MpvVideoWidget::SetKeepPicture(bool keep) {
  if (keep == keep_picture_) return;
  keep_picture_ = keep;
  if (!keep) update();
}

void MpvVideoWidget::FreeRenderContext() {
  if (render_ == nullptr) return;
  // After this returns the engine calls no update callback any more.
  mpv_render_context_free(render_);
  render_ = nullptr;
}

void MpvVideoWidget::initializeGL() {
  if (mpv_ == nullptr || render_ != nullptr) return;
  // The context goes when the widget moves to another top-level window; the render context
  // made with it must go first (a new one is made with the next context).
  connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
    makeCurrent();
    FreeRenderContext();
    doneCurrent();
  });
  mpv_opengl_init_params gl_init{};
  gl_init.get_proc_address = &GetProcAddress;
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_API_TYPE, const_cast<char*>(MPV_RENDER_API_TYPE_OPENGL)},
      {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &gl_init},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  if (mpv_render_context_create(&render_, mpv_, params) < 0) {
    render_ = nullptr;
    return;
  }
  // Called on one of the engine's threads: only a queued repaint request leaves it.
  mpv_render_context_set_update_callback(
      render_,
      [](void* self) {
        auto* widget = static_cast<MpvVideoWidget*>(self);
        QMetaObject::invokeMethod(
            widget, [widget] { widget->OnRenderUpdate(); }, Qt::QueuedConnection);
      },
      this);
}

void MpvVideoWidget::OnRenderUpdate() {
  if (render_ == nullptr) return;
  if ((mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME) == 0) return;
  // While a dropped stream reconnects the engine may announce frames of its own (an idle or
  // reconfigured output) before the stream's first picture: the kept one stays until the player
  // says the stream plays again (SetKeepPicture(false)).
  if (keep_picture_) return;
  frame_waiting_ = true;
  const QWindow* shown = window()->windowHandle();
  if (shown != nullptr && shown->isExposed() && !window()->isMinimized()) {
    update();
    return;
  }
  // A window that is minimised or not exposed skips update(), and the engine, waiting for its
  // frames to be drawn, would stall the picture for a while after a restore: the frame is
  // drawn and its swap reported by hand.
  makeCurrent();
  paintGL();
  context()->swapBuffers(context()->surface());
  mpv_render_context_report_swap(render_);
  doneCurrent();
}

void MpvVideoWidget::paintGL() {
  if (render_ == nullptr) {
    QOpenGLFunctions* gl = context()->functions();
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    return;
  }
  // The framebuffer still holds the last picture (unless the widget was resized meanwhile).
  if (keep_picture_) return;
  // A frame whose repaint was asked for may have gone with its stream before the repaint came
  // (a dropped stream is learnt of a little later): drawing now would draw black.
  const bool frame_was_waiting = frame_waiting_;
  frame_waiting_ = false;
  if (frame_was_waiting && (mpv_render_context_update(render_) & MPV_RENDER_UPDATE_FRAME) == 0) {
    return;
  }
  const qreal ratio = devicePixelRatioF();
  mpv_opengl_fbo fbo{static_cast<int>(defaultFramebufferObject()),
                     static_cast<int>(width() * ratio), static_cast<int>(height() * ratio), 0};
  int flip_y = 1;
  int block_for_target_time = 0;  // waiting for the frame's time would stall the GUI thread
  mpv_render_param params[] = {
      {MPV_RENDER_PARAM_OPENGL_FBO, &fbo},
      {MPV_RENDER_PARAM_FLIP_Y, &flip_y},
      {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &block_for_target_time},
      {MPV_RENDER_PARAM_INVALID, nullptr},
  };
  mpv_render_context_render(render_, params);
}

}  // namespace vistrel
