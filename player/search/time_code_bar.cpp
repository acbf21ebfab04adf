#include "player/search/time_code_bar.h"

#include <QMouseEvent>
#include <QPainter>

namespace player {

TimeCodeBar::TimeCodeBar(int columns, QWidget* parent) : QWidget(parent), columns_(columns) {
    cells_.assign(1, std::vector<BarColour>(static_cast<size_t>(columns), BarColour::kNone));
}

void TimeCodeBar::SetCells(std::vector<std::vector<BarColour>> rows) {
    if (rows.empty()) rows.assign(1, std::vector<BarColour>());
    for (auto& row : rows)
        row.resize(static_cast<size_t>(columns_), BarColour::kNone);
    cells_ = std::move(rows);
    updateGeometry();
    update();
}

void TimeCodeBar::SetCurrent(int column) {
    current_ = column;
    update();
}

QSize TimeCodeBar::sizeHint() const {
    return {columns_ * 10, rows() * 8 + 2};
}

void TimeCodeBar::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    const double w = double(width()) / columns_;
    const double h = double(height()) / rows();
    for (int r = 0; r < rows(); ++r) {
        for (int c = 0; c < columns_; ++c) {
            const QRectF cell(c * w, r * h, w, h);
            if (cells_[r][c] != BarColour::kNone)
                p.fillRect(cell, QColor::fromRgb(BarRgb(cells_[r][c])));
            p.setPen(QColor(200, 200, 200));
            p.drawRect(cell);
        }
    }
    if (current_ >= 0) {
        p.setPen(QPen(Qt::black, 2));
        p.drawRect(QRectF(current_ * w, 0, w, height()).adjusted(1, 1, -1, -1));
    }
}

void TimeCodeBar::mousePressEvent(QMouseEvent* e) {
    const int column = static_cast<int>(e->position().x() * columns_ / std::max(1, width()));
    if (column >= 0 && column < columns_) emit cellClicked(column);
}

}  // namespace player
