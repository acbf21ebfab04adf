#include "player/qt/export_dialog.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimeZone>
#include <QVBoxLayout>

#include "media/wall_time.h"
#include "platform/string_table.h"
#include "player/player_strings.h"

namespace player::qt {
namespace {

// Wall times are the recorder's local time read as UTC: the edits show them in UTC as they are.
QDateTime DateTimeOf(int64_t wall) {
    return QDateTime::fromSecsSinceEpoch(wall, QTimeZone::utc());
}

}  // namespace

QString WallText(int64_t wall) {
    return QString::fromStdString(media::FormatWallTime(wall));
}

ExportDialog::ExportDialog(const ExportDefaults& defaults, const platform::StringTable& strings,
                           QWidget* parent)
    : QDialog(parent), defaults_(defaults) {
    const auto text = [&strings](int id) { return QString::fromStdString(strings.Str(id)); };
    setWindowTitle(text(defaults.evidence ? kTextExportEvidence : kTextExportClip)
                       .remove(QStringLiteral("...")));
    auto* form = new QFormLayout;
    channel_ = new QComboBox(this);
    for (int c = 1; c <= 16; ++c)
        channel_->addItem(QStringLiteral("CH %1").arg(c));
    channel_->setCurrentIndex(defaults.channel);
    form->addRow(text(kTextChannel), channel_);

    whole_ = new QRadioButton(text(kTextWholeRecording), this);
    const bool haveMarks = defaults.markIn.has_value() || defaults.markOut.has_value();
    // Without marks the choice is disabled and names no times.
    QString marksText = text(kTextBetweenMarks);
    if (haveMarks)
        marksText += QStringLiteral(" (%1 - %2)")
                         .arg(defaults.markIn ? WallText(*defaults.markIn) : text(kTextMarkStart),
                              defaults.markOut ? WallText(*defaults.markOut) : text(kTextMarkEnd));
    marks_ = new QRadioButton(marksText, this);
    marks_->setEnabled(haveMarks);
    times_ = new QRadioButton(text(kTextFromTo), this);
    (haveMarks ? marks_ : whole_)->setChecked(true);
    from_ = new QDateTimeEdit(DateTimeOf(defaults.markIn.value_or(defaults.firstWall)), this);
    to_ = new QDateTimeEdit(DateTimeOf(defaults.markOut.value_or(defaults.firstWall)), this);
    for (QDateTimeEdit* edit : {from_, to_}) {
        edit->setTimeSpec(Qt::UTC);
        edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    }
    auto* range = new QVBoxLayout;
    range->addWidget(whole_);
    range->addWidget(marks_);
    auto* typed = new QHBoxLayout;
    typed->addWidget(times_);
    typed->addWidget(from_);
    typed->addWidget(to_);
    range->addLayout(typed);
    form->addRow(text(kTextRange), range);

    out_ = new QLineEdit(defaults.out, this);
    auto* browse = new QPushButton(text(kTextBrowse), this);
    connect(browse, &QPushButton::clicked, this, &ExportDialog::Browse);
    auto* where = new QHBoxLayout;
    where->addWidget(out_, 1);
    where->addWidget(browse);
    form->addRow(text(defaults.evidence ? kTextFolder : kTextFile), where);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(text(kTextExport));
    buttons->button(QDialogButtonBox::Cancel)->setText(text(kTextCancel));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(560);
}

void ExportDialog::Browse() {
    const QString path =
        defaults_.evidence
            ? QFileDialog::getSaveFileName(this, windowTitle(), out_->text())
            : QFileDialog::getSaveFileName(this, windowTitle(), out_->text(),
                                           QStringLiteral("MP4 (*.mp4);;Matroska (*.mkv)"));
    if (!path.isEmpty()) out_->setText(path);
}

ExportOrder ExportDialog::Order() const {
    ExportOrder order;
    order.recording = defaults_.recording;
    order.channel = channel_->currentIndex();
    order.evidence = defaults_.evidence;
    order.out = out_->text().toStdString();
    if (marks_->isChecked()) {
        order.from = defaults_.markIn;
        order.to = defaults_.markOut;
    } else if (times_->isChecked()) {
        order.from = from_->dateTime().toSecsSinceEpoch();
        order.to = to_->dateTime().toSecsSinceEpoch();
    }
    return order;
}

}  // namespace player::qt
