#include "output/qt/gpu_channel_view.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QPainter>

#include <optional>

#include "decoder/kernels/scalar.h"
#include "output/layout.h"

namespace output::qt {
namespace {

const char* const kVertexShader = R"(
attribute vec2 position;
attribute vec2 pixel;
varying vec2 v_pixel;
void main() {
    gl_Position = vec4(position, 0.0, 1.0);
    v_pixel = pixel;
}
)";

// Every value is a whole number below 2^24, so single-precision floats compute the converter's
// integer sums exactly; floor() of a division by 2^14 is its arithmetic shift.
QString FragmentShader() {
    using namespace decoder::kernels::scalar;
    return QStringLiteral(R"(
#ifdef GL_ES
precision highp float;
#endif
uniform sampler2D yuy2;
uniform vec2 pairsAndRows;
varying vec2 v_pixel;
vec4 Quad(float k, float row) {
    vec4 t = texture2D(yuy2, vec2((k + 0.5) / pairsAndRows.x, (row + 0.5) / pairsAndRows.y));
    return floor(t * 255.0 + 0.5);
}
void main() {
    float x = floor(v_pixel.x);
    float row = floor(v_pixel.y);
    float k = floor(x / 2.0);
    vec4 q = Quad(k, row);
    float y = q.r;
    float u = q.g;
    float v = q.a;
    if (x - 2.0 * k > 0.5) {
        vec4 next = Quad(min(k + 1.0, pairsAndRows.x - 1.0), row);
        y = q.b;
        u = floor((u + next.g) / 2.0);
        v = floor((v + next.a) / 2.0);
    }
    float yc = %1.0 * (y - 16.0) + 8192.0;
    float r = floor((yc + %2.0 * (v - 128.0)) / 16384.0);
    float g = floor((yc + %3.0 * (u - 128.0) + %4.0 * (v - 128.0)) / 16384.0);
    float b = floor((yc + %5.0 * (u - 128.0)) / 16384.0);
    gl_FragColor = vec4(clamp(vec3(r, g, b), 0.0, 255.0) / 255.0, 1.0);
}
)")
        .arg(kYuy2Y)
        .arg(kYuy2VToR)
        .arg(kYuy2UToG)
        .arg(kYuy2VToG)
        .arg(kYuy2UToB);
}

}  // namespace

GpuChannelView::GpuChannelView(ChannelDisplay& display, int channel, QWidget* parent)
    : QOpenGLWidget(parent), display_(display), channel_(channel) {}

GpuChannelView::~GpuChannelView() {
    if (glStarted_ && context()) {
        makeCurrent();
        DeleteTexture();
        program_.reset();
        doneCurrent();
    }
}

bool GpuChannelView::ContextAvailable() {
    static std::optional<bool> available;
    if (available) return *available;
    QOpenGLContext context;
    QOffscreenSurface surface;
    surface.create();
    available = context.create() && surface.isValid() && context.makeCurrent(&surface) &&
                context.functions()->hasOpenGLFeature(QOpenGLFunctions::Shaders);
    if (*available) {
        GLint maxSize = 0;
        context.functions()->glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
        available = maxSize >= 576;
        context.doneCurrent();
    }
    return *available;
}

bool GpuChannelView::Open(int width, int height, int displayType, bool) {
    width_ = width;
    height_ = height;
    ready_ = displayType == kDisplayGpu && ContextAvailable();
    if (ready_ && glStarted_) {
        makeCurrent();
        ready_ = CreateTexture();
        doneCurrent();
    }
    update();
    return ready_;
}

void GpuChannelView::Release() {
    ready_ = false;
}

void GpuChannelView::PictureReady() {
    if (repaintQueued_.exchange(true)) return;
    QMetaObject::invokeMethod(this, "update", Qt::QueuedConnection);
}

void GpuChannelView::Fail() {
    ready_ = false;
    emit notReady();
}

bool GpuChannelView::CreateTexture() {
    DeleteTexture();
    if (width_ <= 0 || height_ <= 0) return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenTextures(1, &texture_);
    glBindTexture(GL_TEXTURE_2D, texture_);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width_ / 2, height_, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 nullptr);
    if (texture_ == 0 || glGetError() != GL_NO_ERROR) {
        DeleteTexture();
        return false;
    }
    textureWidth_ = width_;
    textureHeight_ = height_;
    return true;
}

void GpuChannelView::DeleteTexture() {
    if (texture_) glDeleteTextures(1, &texture_);
    texture_ = 0;
    textureWidth_ = textureHeight_ = 0;
}

void GpuChannelView::initializeGL() {
    initializeOpenGLFunctions();
    glStarted_ = true;
    program_ = std::make_unique<QOpenGLShaderProgram>();
    const bool built =
        program_->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader) &&
        program_->addShaderFromSourceCode(QOpenGLShader::Fragment, FragmentShader()) &&
        program_->link();
    if (!built || (ready_ && !CreateTexture())) {
        program_.reset();
        Fail();
    }
}

void GpuChannelView::paintGL() {
    repaintQueued_.store(false);
    QPainter painter(this);
    QRect target = rect();
    bool draw = false;
    painter.beginNativePainting();
    glClearColor(kEmptyCellColour.redF(), kEmptyCellColour.greenF(), kEmptyCellColour.blueF(), 1);
    glClear(GL_COLOR_BUFFER_BIT);
    {
        auto frame = display_.Frame(channel_);
        target = DestinationRect(*frame, rect());
        overlay_.Update(*frame);
        draw = ready_ && program_ && texture_ && !frame->blank && frame->width == textureWidth_ &&
               frame->height == textureHeight_;
        const uint8_t* yuy2 = draw ? picture_.ToYuy2(*frame) : nullptr;
        if (yuy2) {
            glBindTexture(GL_TEXTURE_2D, texture_);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, textureWidth_ / 2, textureHeight_, GL_RGBA,
                            GL_UNSIGNED_BYTE, yuy2);
        }
        draw = yuy2 != nullptr;
    }
    if (draw) {
        const qreal scale = devicePixelRatioF();
        const int fbHeight = static_cast<int>(height() * scale);
        glViewport(static_cast<int>(target.x() * scale),
                   fbHeight - static_cast<int>((target.y() + target.height()) * scale),
                   static_cast<int>(target.width() * scale),
                   static_cast<int>(target.height() * scale));
        const CellRect v = VisibleRect(textureWidth_, textureHeight_);
        const float left = static_cast<float>(v.x);
        const float right = static_cast<float>(v.x + v.width);
        const float top = static_cast<float>(v.y);
        const float bottom = static_cast<float>(v.y + v.height);
        const GLfloat positions[] = {-1, 1, 1, 1, -1, -1, 1, -1};
        const GLfloat pixels[] = {left, top, right, top, left, bottom, right, bottom};
        program_->bind();
        program_->setUniformValue("yuy2", 0);
        program_->setUniformValue("pairsAndRows", static_cast<float>(textureWidth_ / 2),
                                  static_cast<float>(textureHeight_));
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture_);
        program_->enableAttributeArray("position");
        program_->enableAttributeArray("pixel");
        program_->setAttributeArray("position", positions, 2);
        program_->setAttributeArray("pixel", pixels, 2);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        program_->disableAttributeArray("position");
        program_->disableAttributeArray("pixel");
        program_->release();
    }
    painter.endNativePainting();
    overlay_.Paint(painter);
}

}  // namespace output::qt
