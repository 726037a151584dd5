#include "ShotDriver.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QWidget>
#include <QXmlStreamReader>
#include <optional>

namespace {

constexpr int PollMs = 100;
constexpr int SettleMs = 600; // a condition must hold this long before its step acts
constexpr int StepTimeoutMs = 60000;

QString WithoutMnemonic(QString text) { return text.remove(u'&'); }

// What an X tool prints about the window.
QString XTool(const QString &tool, QWidget *window, const QStringList &more = {}) {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
  process.setProcessEnvironment(env);
  process.start(tool, QStringList{QStringLiteral("-id"), QString::number(window->winId())} + more);
  if (!process.waitForFinished(5000))
    return QString();
  return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The window without its frame, as the X server has placed it (the toolkit's own idea may still
// be the one from before the window manager framed it).
std::optional<QRect> ServerRect(QWidget *window) {
  const QString info = XTool(QStringLiteral("xwininfo"), window);
  const auto number = [&info](const char *label) {
    const QRegularExpression line(QString::fromLatin1(label) + QStringLiteral(":\\s*(-?\\d+)"));
    const auto match = line.match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
  };
  const QRect client(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                     number("Height"));
  if (client.width() <= 0 || client.height() <= 0)
    return std::nullopt;
  return client;
}

// The frame the window manager put around the window: its borders and, at the top, the title bar.
QMargins FrameExtents(QWidget *window) {
  const QString extents = XTool(QStringLiteral("xprop"), window, {QStringLiteral("_NET_FRAME_EXTENTS")});
  const QStringList sides = extents.section(u'=', 1).split(u',', Qt::SkipEmptyParts);
  if (sides.size() != 4)
    return {};
  return {sides[0].trimmed().toInt(), sides[2].trimmed().toInt(), sides[1].trimmed().toInt(),
          sides[3].trimmed().toInt()};
}

// The window with its frame, as the X server has placed it.
QRect FramedRect(QWidget *window) {
  const std::optional<QRect> client = ServerRect(window);
  return client ? client->marginsAdded(FrameExtents(window)) : window->frameGeometry();
}

// What openbox draws beside the window's caption: its font and the title buttons of its layout
// (openbox's own defaults where the configuration names none).
struct TTitleBar {
  QFont Font = QFont(QStringLiteral("sans"), 8, QFont::Bold);
  int Buttons = 4; // "NLIMC": icon, caption, iconify, maximise, close
};

std::optional<TTitleBar> ReadTitleBar(const QString &fileName) {
  QFile file(fileName);
  if (fileName.isEmpty() || !file.open(QIODevice::ReadOnly))
    return std::nullopt;
  TTitleBar bar;
  bool activeFont = false;
  QXmlStreamReader xml(&file);
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isEndElement() && xml.name() == u"font")
      activeFont = false;
    if (!xml.isStartElement())
      continue;
    if (xml.name() == u"titleLayout") {
      const QString layout = xml.readElementText().trimmed();
      bar.Buttons = int(layout.size()) - (layout.contains(u'L') ? 1 : 0);
    } else if (xml.name() == u"font") {
      activeFont = xml.attributes().value(QStringLiteral("place")) == u"ActiveWindow";
    } else if (activeFont && xml.name() == u"name") {
      bar.Font.setFamily(xml.readElementText().trimmed());
    } else if (activeFont && xml.name() == u"size") {
      bar.Font.setPointSizeF(xml.readElementText().trimmed().toDouble());
    } else if (activeFont && xml.name() == u"weight") {
      bar.Font.setBold(xml.readElementText().trimmed() == u"bold");
    }
  }
  if (xml.hasError())
    return std::nullopt;
  return bar;
}

// The caption the X server holds for the window, as its window manager shows it.
QString ServerCaption(QWidget *window) {
  const QString out = XTool(QStringLiteral("xprop"), window, {QStringLiteral("_NET_WM_NAME")});
  const qsizetype open = out.indexOf(u'"');
  if (open < 0 || !out.endsWith(u'"'))
    return QStringLiteral("<no caption: %1>").arg(out);
  QString caption;
  const QString quoted = out.mid(open + 1, out.size() - open - 2);
  for (qsizetype i = 0; i < quoted.size(); ++i)
    caption += quoted[i] == u'\\' && i + 1 < quoted.size() ? quoted[++i] : quoted[i];
  return caption;
}

// Standard button texts that the Polish translations replace.
const QStringList EnglishButtons = {
    QStringLiteral("Yes"),   QStringLiteral("No"),    QStringLiteral("Cancel"),
    QStringLiteral("Abort"), QStringLiteral("Retry"), QStringLiteral("Ignore"),
    QStringLiteral("Open"),  QStringLiteral("Save"),  QStringLiteral("Close")};

} // namespace

TShotDriver::TShotDriver(QString outputDir)
    : FOutputDir(std::move(outputDir)),
      FProgram(QFileInfo(QCoreApplication::applicationFilePath()).fileName()) {
  FPoll.setInterval(PollMs);
  connect(&FPoll, &QTimer::timeout, this, &TShotDriver::Poll);
  FPoll.start();
  FStepClock.start();
}

void TShotDriver::Step(const QString &name, std::function<bool()> ready, std::function<void()> work) {
  FSteps.push_back({name, std::move(ready), std::move(work)});
}

void TShotDriver::Do(const QString &name, std::function<void()> work) {
  Step(
      name, [] { return true; }, std::move(work));
}

void TShotDriver::AutoAnswer(const QString &textStart, const QString &buttonText) {
  FAnswers.emplace_back(textStart, buttonText);
}

QWidget *TShotDriver::Shown(const char *className) {
  for (QWidget *window : QApplication::topLevelWidgets())
    if (window->isVisible() && window->inherits(className))
      return window;
  return nullptr;
}

void TShotDriver::ClickLater(QWidget *control) {
  if (auto *button = qobject_cast<QAbstractButton *>(control)) {
    QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
    return;
  }
  const QPointF centre = QRectF(control->rect()).center();
  const QPointF global = control->mapToGlobal(centre);
  QCoreApplication::postEvent(control, new QMouseEvent(QEvent::MouseButtonPress, centre, global,
                                                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
  QCoreApplication::postEvent(control, new QMouseEvent(QEvent::MouseButtonRelease, centre, global,
                                                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
}

void TShotDriver::TriggerLater(QObject *owner, const char *actionName) {
  if (auto *action = owner->findChild<QAction *>(QString::fromLatin1(actionName)))
    QMetaObject::invokeMethod(action, &QAction::trigger, Qt::QueuedConnection);
}

bool TShotDriver::ActionEnabled(QObject *owner, const char *actionName) {
  auto *action = owner ? owner->findChild<QAction *>(QString::fromLatin1(actionName)) : nullptr;
  return action && action->isEnabled();
}

QAbstractButton *TShotDriver::ButtonWithText(QWidget *window, const QString &text) {
  if (!window)
    return nullptr;
  for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
    if (button->isVisible() && WithoutMnemonic(button->text()) == WithoutMnemonic(text))
      return button;
  return nullptr;
}

void TShotDriver::Shot(QWidget *window, const QString &name) {
  if (!window) {
    Fail(QStringLiteral("no window for the picture ") + name);
    return;
  }
  const QRect frame = FramedRect(window);
  const QPixmap picture =
      window->screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
  const QString file = QDir(FOutputDir).filePath(name + QStringLiteral(".png"));
  if (!picture.save(file, "PNG"))
    Fail(QStringLiteral("could not write %1").arg(file));
}

void TShotDriver::CheckCaptionRoom(QWidget *window) {
  const QString config = qEnvironmentVariable("MERIDOX_WM_CONFIG");
  const std::optional<TTitleBar> bar = ReadTitleBar(config);
  const std::optional<QRect> client = ServerRect(window);
  if (!bar || !client) {
    Fail(
        QStringLiteral("cannot measure the title bar of \"%1\": %2")
            .arg(window->windowTitle(), bar ? QStringLiteral("the X server does not know the window")
                                            : QStringLiteral("no openbox configuration \"%1\"").arg(config)));
    return;
  }
  const QMargins frame = FrameExtents(window);
  const int width = client->marginsAdded(frame).width();
  const int needed =
      QFontMetrics(bar->Font).horizontalAdvance(window->windowTitle()) + bar->Buttons * frame.top();
  qInfo("screenshot driver: \"%s\" is %d pixels wide with its frame; its caption needs %d",
        qPrintable(window->windowTitle()), width, needed);
  if (width < needed)
    Fail(QStringLiteral(
             "\"%1\" is %2 pixels wide with its frame: its title bar cuts the caption, which needs %3")
             .arg(window->windowTitle())
             .arg(width)
             .arg(needed));
}

void TShotDriver::Fail(const QString &fault) {
  FFaults.append(fault);
  qWarning("screenshot driver: %s", qPrintable(fault));
}

void TShotDriver::CheckNewWindows() {
  for (QWidget *window : QApplication::topLevelWidgets()) {
    if (!window->isVisible() || window->inherits("QMenu") || FChecked.count(window) ||
        window->windowType() == Qt::ToolTip || window->windowType() == Qt::Popup)
      continue;
    FChecked.insert(window);
    connect(window, &QObject::destroyed, this, [this, window] { FChecked.erase(window); });
    const QString own = window->windowTitle();
    const QString shown = ServerCaption(window);
    if (shown != own)
      Fail(QStringLiteral("%1 shows the caption \"%2\" instead of \"%3\"")
               .arg(QString::fromLatin1(window->metaObject()->className()), shown, own));
    if (auto *box = qobject_cast<QMessageBox *>(window))
      for (QAbstractButton *button : box->buttons())
        if (EnglishButtons.contains(WithoutMnemonic(button->text())))
          Fail(QStringLiteral("message box \"%1\" has the English button \"%2\"")
                   .arg(box->text(), button->text()));
  }
}

void TShotDriver::AnswerBoxes() {
  auto *box = qobject_cast<QMessageBox *>(Shown("QMessageBox"));
  if (!box)
    return;
  // The toolkit and the window manager size a box again after it shows.
  if (box != FBox) {
    FBox = box;
    FBoxClock.start();
    return;
  }
  if (FBoxClock.elapsed() < SettleMs)
    return;
  FBox = nullptr;
  for (const auto &[start, answer] : FAnswers)
    if (box->text().startsWith(start)) {
      CheckCaptionRoom(box);
      if (QAbstractButton *button = ButtonWithText(box, answer))
        ClickLater(button);
      else
        Fail(QStringLiteral("message box \"%1\" has no button \"%2\"").arg(box->text(), answer));
      return;
    }
}

void TShotDriver::Poll() {
  if (FFinished)
    return;
  CheckNewWindows();
  if (FSteps.empty()) {
    Finish();
    return;
  }
  TStep &step = FSteps.front();
  if (!step.Ready()) {
    FReady = false;
    AnswerBoxes();
    if (FStepClock.elapsed() > StepTimeoutMs) {
      QStringList shown;
      for (QWidget *window : QApplication::topLevelWidgets())
        if (window->isVisible()) {
          const auto *box = qobject_cast<QMessageBox *>(window);
          shown << QStringLiteral("%1 \"%2\"%3")
                       .arg(QString::fromLatin1(window->metaObject()->className()), window->windowTitle(),
                            box ? QStringLiteral(": ") + box->text() : QString());
        }
      Fail(QStringLiteral("step \"%1\" never became ready; shown: %2")
               .arg(step.Name, shown.join(QStringLiteral("; "))));
      Finish();
      QCoreApplication::exit(3);
    }
    return;
  }
  if (!FReady) {
    FReady = true;
    FReadyClock.start();
  }
  if (FReadyClock.elapsed() < SettleMs)
    return;
  TStep current = std::move(step);
  FSteps.pop_front();
  FReady = false;
  FStepClock.restart();
  qInfo("screenshot driver: %s", qPrintable(current.Name));
  if (FSteps.empty())
    Finish();
  current.Work();
}

TShotDriver::~TShotDriver() { WriteLog(); }

void TShotDriver::Finish() {
  FFinished = true;
  WriteLog();
  // The last step closes the program; should it stay, it is ended.
  QTimer::singleShot(15000, qApp, [] { QCoreApplication::exit(4); });
}

// Written again when the program ends, so that the last step's own outcome counts.
void TShotDriver::WriteLog() const {
  QFile log(QDir(FOutputDir).filePath(FProgram + QStringLiteral(".log")));
  QStringList lines = FFaults;
  if (!FFinished)
    lines.append(QStringLiteral("ended with %1 steps left").arg(FSteps.size()));
  if (log.open(QIODevice::WriteOnly | QIODevice::Truncate))
    log.write((lines.isEmpty() ? QStringLiteral("ok") : lines.join(u'\n')).toUtf8() + '\n');
}

class TShotPlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "meridox_shots.json")
public:
  QObject *create(const QString &, const QString &) override {
    auto *driver = new TShotDriver(qEnvironmentVariable("MERIDOX_SHOT_DIR", QDir::currentPath()));
    AddScenario(*driver, qEnvironmentVariable("MERIDOX_SHOT_SCENARIO", driver->Program()));
    return driver;
  }
};

#include "ShotDriver.moc"
