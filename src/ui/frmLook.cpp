#include "ui/frmLook.h"

#include <QEvent>
#include <QGuiApplication>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include "files/InquiryFile.h"
#include "platform/qt/DisplayText.h"
#include "ui/DesignFonts.h"

namespace webaccess::ui {
namespace {

constexpr int kClientWidth = 6660;
constexpr int kClientHeight = 6735;
constexpr int kResizeBound = 2000;
constexpr int kListAllowance = 1185;  // outer height minus the list's height
constexpr int kButtonGap = 180;       // between the list's height and the button's top

}  // namespace

frmLook::frmLook(RequestItems items, platform::TwipsScale scale)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      items_(std::move(items)),
      scale_(scale),
      lstReq_(new QListWidget(this)),
      cmdExit_(new QPushButton(QStringLiteral("Exit"), this)) {
  setObjectName(QStringLiteral("frmLook"));
  setWindowTitle(QStringLiteral("Look at Requests Waiting to Order"));
  setModal(true);
  resize(scale_.ToPixelsX(kClientWidth), scale_.ToPixelsY(kClientHeight));

  lstReq_->setObjectName(QStringLiteral("lstReq"));
  lstReq_->setFont(FixedFont(9.75, false));
  lstReq_->setGeometry(scale_.ToPixels(120, 120, 6375, 6060));

  cmdExit_->setObjectName(QStringLiteral("cmdExit"));
  cmdExit_->setFont(SansFont(12, true));
  cmdExit_->setGeometry(scale_.ToPixels(120, 6240, 1095, 375));
  cmdExit_->setAutoDefault(false);
  QObject::connect(cmdExit_, &QPushButton::clicked, this, [this] { reject(); });

  setTabOrder(lstReq_, cmdExit_);
}

void frmLook::ShowModal() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - frameGeometry().width()) / 2,
         area.y() + (area.height() - frameGeometry().height()) / 2);
  }
  exec();
}

void frmLook::Form_Activate() {
  lstReq_->clear();
  const std::vector<std::string> items = items_ ? items_() : std::vector<std::string>{};
  int number = 0;
  for (const std::string& item : items) {
    lstReq_->addItem(platform::DisplayText(files::RequestRow(item, ++number)));
  }
}

void frmLook::Form_Resize() {
  fittedToHeight_ = frameGeometry().height();
  const int height = scale_.ToTwipsY(fittedToHeight_);
  if (height <= kResizeBound) return;
  lstReq_->resize(lstReq_->width(), scale_.ToPixelsY(height - kListAllowance));
  const int listHeight = scale_.ToTwipsY(lstReq_->height());
  cmdExit_->move(cmdExit_->x(), scale_.ToPixelsY(listHeight + kButtonGap));
}

void frmLook::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  Form_Activate();
}

void frmLook::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  Form_Resize();
}

void frmLook::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && frameGeometry().height() != fittedToHeight_) {
    Form_Resize();
  }
}

}  // namespace webaccess::ui
