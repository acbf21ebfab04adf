#include "ui/skin_frame.h"

#include <QBitmap>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "ui/skin_button.h"
#include "ui/skin_resources.h"

namespace ui {
namespace {

// Corner ellipses of the window outline.
constexpr int kCornerEllipse = 15;

}  // namespace

SkinFrame::SkinFrame(QWidget* owner, std::span<const SkinButtonSpec> buttons,
                     const platform::StringTable& strings)
    : QObject(owner), owner_(owner), table_(buttons), strings_(strings) {}

SkinFrame::~SkinFrame() {
    if (owner_) owner_->removeEventFilter(this);
}

bool SkinFrame::Create(int backgroundBitmap, int buttonCount) {
    backgroundId_ = backgroundBitmap;
    background_ = SkinBitmap(backgroundBitmap, owner_->devicePixelRatioF());
    if (background_.isNull()) return false;

    const QSize size = BackgroundSize();
    if (owner_->isWindow()) {
        owner_->setWindowFlag(Qt::FramelessWindowHint);
        // Wayland compositors do not clip a window to its mask: there the window is translucent
        // and the background is painted inside the rounded outline instead.
        if (QGuiApplication::platformName().startsWith(QStringLiteral("wayland"))) {
            owner_->setAttribute(Qt::WA_TranslucentBackground);
            paintOutline_ = true;
        }
    }
    owner_->setFixedSize(size);
    if (owner_->isWindow()) {
        if (const QScreen* screen = owner_->screen()) {
            QRect area(QPoint(), size);
            area.moveCenter(screen->availableGeometry().center());
            owner_->move(area.topLeft());
        }
    }
    ApplyOutline();
    owner_->installEventFilter(this);

    const int count = std::min(buttonCount, static_cast<int>(table_.size()));
    buttons_.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        const SkinButtonSpec& spec = table_[static_cast<size_t>(i)];
        auto* button = new SkinButton(spec.command, owner_);
        button->SetBitmaps(spec.left, spec.top, spec.right, spec.bottom, spec.normal, spec.pressed,
                           spec.hover);
        button->SetTooltipText(TooltipOf(spec.command));
        connect(button, &SkinButton::clicked, this,
                [this, command = spec.command] { emit commandTriggered(command); });
        button->show();
        buttons_.push_back(button);
    }
    return true;
}

QSize SkinFrame::BackgroundSize() const {
    return background_.deviceIndependentSize().toSize();
}

void SkinFrame::ApplyOutline() {
    const QSize size = BackgroundSize();
    QBitmap mask(size);
    mask.fill(Qt::color0);
    QPainter painter(&mask);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::color1);
    painter.drawRoundedRect(QRect(QPoint(), size), kCornerEllipse / 2.0, kCornerEllipse / 2.0);
    painter.end();
    owner_->setMask(mask);
}

void SkinFrame::PaintBackground(QPainter& painter) const {
    if (paintOutline_) {
        QPainterPath outline;
        outline.addRoundedRect(QRectF(QPointF(), BackgroundSize()), kCornerEllipse / 2.0,
                               kCornerEllipse / 2.0);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setClipPath(outline);
        painter.drawPixmap(0, 0, background_);
        painter.restore();
        return;
    }
    painter.drawPixmap(0, 0, background_);
}

void SkinFrame::DrawBitmap(QPainter& painter, int id, QPoint at, bool transparent,
                           const QString& filePath, const QWidget* target) const {
    if (target && !target->isVisible()) return;
    const qreal ratio = owner_->devicePixelRatioF();
    QPixmap pixmap = LoadBitmapFile(filePath, transparent);
    if (pixmap.isNull()) {
        pixmap = transparent ? SkinBitmapWhiteTransparent(id, ratio) : SkinBitmap(id, ratio);
    }
    if (pixmap.isNull()) return;
    if (transparent || !target) {
        painter.drawPixmap(at, pixmap);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(target->rect(), pixmap);
    }
}

void SkinFrame::SetBackground(int backgroundBitmap) {
    QPixmap replacement = SkinBitmap(backgroundBitmap, owner_->devicePixelRatioF());
    if (replacement.isNull()) return;
    backgroundId_ = backgroundBitmap;
    background_ = std::move(replacement);
    ApplyOutline();
    owner_->update();
}

void SkinFrame::HideButtons(int first, int count) {
    for (int i = first; i < first + count; ++i) {
        if (SkinButton* button = Button(i)) button->hide();
    }
}

void SkinFrame::ShowButtons(int first, int count) {
    for (int i = first; i < first + count; ++i) {
        if (SkinButton* button = Button(i)) button->show();
    }
}

void SkinFrame::SetButtonBitmaps(int index, int normal, int pressed, int hover) {
    if (SkinButton* button = Button(index)) button->ReplaceBitmaps(normal, pressed, hover);
}

void SkinFrame::RefreshTooltips(int count) {
    for (int i = 0; i < count; ++i) {
        if (SkinButton* button = Button(i)) button->SetTooltipText(TooltipOf(button->CommandId()));
    }
}

SkinButton* SkinFrame::Button(int index) const {
    if (index < 0 || index >= ButtonCount()) return nullptr;
    return buttons_[static_cast<size_t>(index)];
}

QString SkinFrame::TooltipOf(int command) const {
    const std::string_view text = strings_.Text(command);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool SkinFrame::eventFilter(QObject* watched, QEvent* event) {
    if (watched != owner_ || !owner_->isWindow()) return false;
    // A press on the background (not taken by a child) moves the window.
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton) return false;
            QWindow* window = owner_->windowHandle();
            if (window && window->startSystemMove()) return true;
            dragging_ = true;
            dragOffset_ = mouse->globalPosition().toPoint() - owner_->frameGeometry().topLeft();
            return true;
        }
        case QEvent::MouseMove:
            if (!dragging_) return false;
            owner_->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() -
                         dragOffset_);
            return true;
        case QEvent::MouseButtonRelease:
            if (!dragging_) return false;
            dragging_ = false;
            return true;
        default:
            return false;
    }
}

}  // namespace ui
