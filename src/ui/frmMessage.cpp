#include "ui/frmMessage.h"

#include <QLabel>
#include <QPushButton>

#include "platform/qt/DisplayText.h"
#include "ui/DesignFonts.h"

namespace webaccess::ui {
namespace {

constexpr int kClientWidth = 8235;
constexpr int kClientHeight = 4380;

}  // namespace

frmMessage::frmMessage(QWidget* owner, platform::TwipsScale scale)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      scale_(scale),
      lblMessage_(new QLabel(QStringLiteral("Label1"), this)),
      Command1_(new QPushButton(QStringLiteral("Exit"), this)) {
  setObjectName(QStringLiteral("frmMessage"));
  setWindowTitle(QStringLiteral("Message From Vantorel"));
  setModal(true);
  setFixedSize(scale_.ToPixelsX(kClientWidth), scale_.ToPixelsY(kClientHeight));

  lblMessage_->setObjectName(QStringLiteral("lblMessage"));
  lblMessage_->setFont(FixedFont(9.75, true));
  lblMessage_->setTextFormat(Qt::PlainText);
  lblMessage_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblMessage_->setWordWrap(true);
  lblMessage_->setFocusPolicy(Qt::NoFocus);
  lblMessage_->setGeometry(scale_.ToPixels(120, 240, 7935, 3495));

  Command1_->setObjectName(QStringLiteral("Command1"));
  Command1_->setFont(SansFont(9.75, true));
  Command1_->setGeometry(scale_.ToPixels(3240, 3960, 1575, 375));
  Command1_->setAutoDefault(false);
  QObject::connect(Command1_, &QPushButton::clicked, this, [this] { accept(); });
}

void frmMessage::SetMessage(const std::string& text) {
  lblMessage_->setText(platform::DisplayText(text));
}

void frmMessage::ShowModal() {
  if (const QWidget* owner = parentWidget(); owner != nullptr && owner->isVisible()) {
    const QRect over = owner->frameGeometry();
    // Before its first showing this window's frame is not known, and a move
    // places its inside: the owner's frame stands in for its own.
    const bool frameKnown = testAttribute(Qt::WA_WState_Created);
    const QRect outside = frameKnown ? frameGeometry() : over;
    const QRect inside = frameKnown ? geometry() : owner->geometry();
    const QMargins frame(inside.left() - outside.left(), inside.top() - outside.top(),
                         outside.right() - inside.right(), outside.bottom() - inside.bottom());
    const QSize outer = size().grownBy(frame);
    QPoint at(over.x() + (over.width() - outer.width()) / 2,
              over.y() + (over.height() - outer.height()) / 2);
    if (!frameKnown) at += QPoint(frame.left(), frame.top());
    move(at);
  }
  exec();
}

void frmMessage::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Command1_->setFocus();
}

}  // namespace webaccess::ui
