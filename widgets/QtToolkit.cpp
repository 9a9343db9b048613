#include "widgets/QtToolkit.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <QtDebug>

#include "cmr/LogText.h"

namespace pelorin {
namespace {

constexpr const char* kTitleProperty = "ApplicationTitle";
// The hint as the system set it; the tooltip is empty while hint display is off.
constexpr const char* kHintProperty = "Hint";
constexpr const char* kShowHintProperty = "ShowHint";

QString HintOf(const QWidget* widget) {
  const QVariant hint = widget->property(kHintProperty);
  return hint.isValid() ? hint.toString() : widget->toolTip();
}

bool ShowsHint(const QWidget* widget) {
  const QVariant on = widget->property(kShowHintProperty);
  return !on.isValid() || on.toBool();
}

void ApplyHint(QWidget* widget, const QString& hint, bool on) {
  widget->setProperty(kHintProperty, hint);
  widget->setProperty(kShowHintProperty, on);
  widget->setToolTip(on ? hint : QString());
}

QMessageBox::Icon QtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Stop:
      return QMessageBox::Critical;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
  }
  return QMessageBox::NoIcon;
}

void RunModalBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
                 const QString& text) {
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  // A box the user must answer shows the ordinary pointer, busy or not.
  const bool busy = QApplication::overrideCursor() != nullptr;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  box.exec();
  if (busy) QApplication::restoreOverrideCursor();
}

}  // namespace

void SetApplicationTitle(const QString& title) {
  if (QCoreApplication* application = QCoreApplication::instance()) {
    application->setProperty(kTitleProperty, title);
  }
}

QString ApplicationTitle() {
  const QCoreApplication* application = QCoreApplication::instance();
  return application ? application->property(kTitleProperty).toString() : QString();
}

QString ToQString(std::string_view text) {
  return QString::fromStdString(DecodeLogText(text.substr(0, text.find('\0'))));
}

Qt::WindowFlags FixedWindowFlags(BorderIcons icons) {
  Qt::WindowFlags flags =
      Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::MSWindowsFixedSizeDialogHint;
  if (icons.SystemMenu) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (icons.Minimize) flags |= Qt::WindowMinimizeButtonHint;
  if (icons.Help) flags |= Qt::WindowContextHelpButtonHint;
  return flags;
}

void CentreOnScreen(QWidget* window) {
  const QScreen* screen = window->screen();
  if (!screen) return;
  const QRect area = screen->geometry();
  // Before the first showing there is no frame yet; the client size serves.
  const QSize outer = window->isVisible() ? window->frameGeometry().size() : window->size();
  window->move(area.x() + (area.width() - outer.width()) / 2,
               area.y() + (area.height() - outer.height()) / 2);
}

QtToolkit::QtToolkit(QWidget* mainWindow, DialogRunner dialogRunner)
    : mainWindow_(mainWindow), dialogRunner_(std::move(dialogRunner)) {}

QtToolkit::~QtToolkit() {
  SetBusyCursor(false);
}

QWidget* QtToolkit::Find(std::string_view control) const {
  const QString name = QString::fromUtf8(control.data(), static_cast<qsizetype>(control.size()));
  if (name == mainWindow_->objectName()) return mainWindow_;
  QWidget* widget = mainWindow_->findChild<QWidget*>(name);
  if (!widget) qWarning() << "No control named" << name;
  return widget;
}

std::optional<std::string> QtToolkit::RunOpenDialog() {
  if (nextAnswer_) {
    std::optional<std::string> answer = std::move(nextAnswer_);
    nextAnswer_.reset();
    return answer;
  }
  return dialogRunner_ ? dialogRunner_() : std::nullopt;
}

void QtToolkit::SetText(std::string_view control, std::string_view text) {
  QWidget* widget = Find(control);
  if (!widget) return;
  const QString value = ToQString(text);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
    edit->setText(value);
    // Show the start of a text longer than its box, as a file name needs.
    edit->setCursorPosition(0);
  } else if (auto* label = qobject_cast<QLabel*>(widget)) {
    label->setText(value);
  } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
    button->setText(value);
  } else if (widget->isWindow()) {
    widget->setWindowTitle(value);
  }
}

std::string QtToolkit::GetText(std::string_view control) {
  QWidget* widget = Find(control);
  if (auto* edit = qobject_cast<QLineEdit*>(widget)) return edit->text().toStdString();
  if (auto* label = qobject_cast<QLabel*>(widget)) return label->text().toStdString();
  if (auto* button = qobject_cast<QAbstractButton*>(widget)) return button->text().toStdString();
  if (widget && widget->isWindow()) return widget->windowTitle().toStdString();
  return {};
}

// Whether the control itself is shown, whether its window is up or not.
bool QtToolkit::GetVisible(std::string_view control) {
  QWidget* widget = Find(control);
  return widget && !widget->isHidden();
}

void QtToolkit::SetVisible(std::string_view control, bool visible) {
  if (QWidget* widget = Find(control)) widget->setVisible(visible);
}

void QtToolkit::SetHint(std::string_view control, std::string_view hint) {
  if (QWidget* widget = Find(control)) ApplyHint(widget, ToQString(hint), ShowsHint(widget));
}

void QtToolkit::SetShowHint(std::string_view control, bool on) {
  if (QWidget* widget = Find(control)) ApplyHint(widget, HintOf(widget), on);
}

void QtToolkit::AlignToClient(std::string_view control) {
  QWidget* widget = Find(control);
  if (!widget || !widget->parentWidget()) return;
  widget->setGeometry(widget->parentWidget()->rect());
  widget->raise();
}

void QtToolkit::Repaint(std::string_view control) {
  if (QWidget* widget = Find(control)) widget->repaint();
}

BorderIcons QtToolkit::GetBorderIcons() {
  const Qt::WindowFlags flags = mainWindow_->windowFlags();
  BorderIcons icons;
  icons.SystemMenu = flags.testFlag(Qt::WindowSystemMenuHint);
  icons.Minimize = flags.testFlag(Qt::WindowMinimizeButtonHint);
  icons.Maximize = flags.testFlag(Qt::WindowMaximizeButtonHint);
  icons.Help = flags.testFlag(Qt::WindowContextHelpButtonHint);
  return icons;
}

void QtToolkit::SetBorderIcons(BorderIcons icons) {
  const Qt::WindowFlags flags = FixedWindowFlags(icons);
  if (flags == mainWindow_->windowFlags()) return;
  // New flags hide a window; it must stay where and as it was.
  const bool wasVisible = mainWindow_->isVisible();
  const QPoint position = mainWindow_->pos();
  mainWindow_->setWindowFlags(flags);
  mainWindow_->move(position);
  if (wasVisible) mainWindow_->show();
}

void QtToolkit::CentreMainWindow() {
  CentreOnScreen(mainWindow_);
}

void QtToolkit::MessageBox(std::string_view text, std::string_view caption, MessageIcon icon) {
  const ShownMessage shown{std::string(text), std::string(caption), icon};
  shown_.push_back(shown);
  if (messageHook_) {
    messageHook_(shown);
    return;
  }
  RunModalBox(mainWindow_, QtIcon(icon), ToQString(caption), ToQString(text));
}

void QtToolkit::ShowMessage(std::string_view text) {
  const ShownMessage shown{std::string(text), std::nullopt, std::nullopt};
  shown_.push_back(shown);
  if (messageHook_) {
    messageHook_(shown);
    return;
  }
  RunModalBox(mainWindow_, QMessageBox::NoIcon, ApplicationTitle(), ToQString(text));
}

void QtToolkit::SetBusyCursor(bool busy) {
  // The override cursor is a stack: push once, pop only what was pushed.
  if (busy == busy_) return;
  busy_ = busy;
  if (busy) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

}  // namespace pelorin
