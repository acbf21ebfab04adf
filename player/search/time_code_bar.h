// A grid of coloured time cells: the video search's hour bar (one row of 24 hours) and minute
// bar (a row of 60 minutes per channel). A click picks a cell.
#pragma once
#include <QWidget>
#include <vector>

#include "player/search/video_search.h"

namespace player {

class TimeCodeBar : public QWidget {
    Q_OBJECT
  public:
    TimeCodeBar(int columns, QWidget* parent = nullptr);
    void SetCells(std::vector<std::vector<BarColour>> rows);
    void SetCurrent(int column);  // the chosen cell, outlined; -1 for none
    int rows() const { return static_cast<int>(cells_.size()); }
    BarColour Cell(int row, int column) const { return cells_[row][column]; }
    QSize sizeHint() const override;

  signals:
    void cellClicked(int column);

  protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

  private:
    int columns_;
    int current_ = -1;
    std::vector<std::vector<BarColour>> cells_;
};

}  // namespace player
