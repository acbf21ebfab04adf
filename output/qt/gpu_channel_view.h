// The GPU cell view (display type 0): the YUY2 picture goes to the graphics card as a texture
// of byte quadruples (Y0 U Y1 V) and a fragment shader converts it to RGB with the integer
// arithmetic of the CPU converter. Full-height D1 pictures are de-interlaced on the CPU first.
// Without a usable OpenGL context or texture the view is not ready: Open returns false, or
// notReady() is emitted when the failure shows only once the widget starts, and the owner puts
// an RGB view in its place.
#pragma once

#include <QOpenGLFunctions>
#include <QOpenGLShaderProgram>
#include <QOpenGLWidget>

#include <atomic>
#include <memory>

#include "output/channel_display.h"
#include "output/qt/cell_overlay.h"
#include "output/view_picture.h"

namespace output::qt {

class GpuChannelView final : public QOpenGLWidget, public ChannelView, protected QOpenGLFunctions {
    Q_OBJECT
  public:
    GpuChannelView(ChannelDisplay& display, int channel, QWidget* parent = nullptr);
    ~GpuChannelView() override;

    bool Open(int width, int height, int displayType, bool deinterlace) override;
    void PictureReady() override;
    void Release() override;
    bool ready() const { return ready_; }

    // Whether this process can make an OpenGL context with shaders (checked once).
    static bool ContextAvailable();

  signals:
    void notReady();

  protected:
    void initializeGL() override;
    void paintGL() override;

  private:
    bool CreateTexture();
    void DeleteTexture();
    void Fail();

    ChannelDisplay& display_;
    int channel_;
    ViewPicture picture_;
    CellOverlay overlay_;
    std::unique_ptr<QOpenGLShaderProgram> program_;
    GLuint texture_ = 0;
    int textureWidth_ = 0;
    int textureHeight_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool ready_ = false;
    bool glStarted_ = false;
    std::atomic<bool> repaintQueued_{false};
};

}  // namespace output::qt
