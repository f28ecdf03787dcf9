#include "settings/SheetColorWell.h"

#include "settings/ScreenRoom.h"

#include <QColorDialog>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Runs the colour dialog. One larger than the screen's available area (Qt's own at scale factor 2 on a laptop's
// screen) runs inside a frame that fits the screen and scrolls, so that OK and Cancel can always be reached.
int RunWithinScreen(QColorDialog& dialog, QWidget* parent)
{
    const QSize room = RoomOnScreen(*parent);
    const QSize wanted = dialog.sizeHint().expandedTo(dialog.minimumSizeHint());
    if (wanted.boundedTo(room) == wanted)
        return dialog.exec();
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    dialog.setWindowFlags(Qt::Widget);
    QDialog frame(parent);
    frame.setWindowTitle(dialog.windowTitle());
    auto* area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setWidget(&dialog); // taken back below, before the frame goes
    auto* layout = new QVBoxLayout(&frame);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(area);
    QObject::connect(&dialog, &QDialog::finished, &frame, &QDialog::done);
    frame.resize(QSize(wanted.width() + 24, room.height()).boundedTo(room)); // the scroll bar beside it
    dialog.show();
    const int result = frame.exec();
    area->takeWidget();
    return result;
}

} // namespace

SheetColorWell::SheetColorWell(QWidget* parent) : QPushButton(parent)
{
    setMinimumSize(44, 24);
    connect(this, &QPushButton::clicked, this, &SheetColorWell::openDialog);
}

std::optional<WellColour> SheetColorWell::color() const
{
    if (exact_)
        return exact_;
    if (!shown_.isValid())
        return std::nullopt;
    float red = 0.0f, green = 0.0f, blue = 0.0f;
    shown_.toRgb().getRgbF(&red, &green, &blue);
    return WellColour{red, green, blue};
}

void SheetColorWell::setColor(const WellColour& colour)
{
    exact_ = colour;
    // Shown within what a screen can show; the stored value stays as it was given (NaN included).
    auto shown = [](float v) { return v == v ? std::clamp(v, 0.0f, 1.0f) : 0.0f; };
    shown_ = QColor::fromRgbF(shown(colour.red), shown(colour.green), shown(colour.blue));
    // A stored colour no screen can show (a part below 0 or above 1) is kept, and marked so.
    const bool outside = !(colour.red >= 0 && colour.red <= 1 && colour.green >= 0 && colour.green <= 1
                           && colour.blue >= 0 && colour.blue <= 1);
    if (title_.isEmpty())
        title_ = toolTip(); // the description's words for the well: the colour dialog's title too
    outOfRange_ = outside;
    setToolTip(outside ? tr("The stored colour (%1, %2, %3) lies outside 0 to 1; it is kept unless you pick another.")
                             .arg(colour.red).arg(colour.green).arg(colour.blue)
                       : title_);
    update();
    emit colourChanged();
}

void SheetColorWell::pickColor(const QColor& colour)
{
    // The dialog works in 8 bits a channel: OK on the colour it was opened with is no change, and must not round
    // the exact value (0.52 would come back 0.52156866).
    if (exact_ && colour.isValid() && colour.toRgb().rgba() == shown_.toRgb().rgba())
        return;
    exact_.reset();
    shown_ = colour;
    if (outOfRange_)
        setToolTip(title_);
    outOfRange_ = false;
    update();
    emit colourChanged();
}

void SheetColorWell::openDialog()
{
    // Every colour the user passes over in the dialog shows at once (a live preview follows the well); Cancel puts
    // back the colour the well had, exactly.
    const std::optional<WellColour> exact = exact_;
    const QColor shown = shown_;
    const bool outOfRange = outOfRange_;
    const QString tip = toolTip();
    QColorDialog dialog(shown_, this);
    dialog.setWindowTitle(title_.isEmpty() ? toolTip() : title_);
    connect(&dialog, &QColorDialog::currentColorChanged, this, [this](const QColor& colour) {
        exact_.reset();
        shown_ = colour;
        update();
        emit colourChanged();
    });
    const bool picked = RunWithinScreen(dialog, this) == QDialog::Accepted;
    exact_ = exact;
    shown_ = shown;
    outOfRange_ = outOfRange;
    setToolTip(tip);
    if (picked)
        pickColor(dialog.selectedColor()); // OK on the colour it opened with changes nothing
    update();
    emit colourChanged();
}

void SheetColorWell::paintEvent(QPaintEvent* event)
{
    QPushButton::paintEvent(event);
    QPainter painter(this);
    const QRect swatch = rect().adjusted(6, 5, -6, -5);
    painter.setPen(palette().color(QPalette::Mid));
    QColor fill = shown_.isValid() ? shown_.toRgb() : QColor(Qt::transparent);
    if (!isEnabled())
        fill.setAlphaF(0.35f);
    painter.setBrush(fill);
    painter.drawRect(swatch);
    if (outOfRange_) { // marked as the sliders mark theirs, readable on any swatch
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(fill.lightnessF() > 0.5 ? Qt::black : Qt::white);
        painter.drawText(swatch, Qt::AlignCenter, QStringLiteral("!"));
    }
}
