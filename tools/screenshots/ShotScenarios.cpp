#include "ShotDriver.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTabWidget>

namespace {

struct TNewUser {
  const char *Name, *FirstName, *SecondName, *Pesel;
};

const QString Password = QStringLiteral("Tajne#Haslo1!");

void SetText(QWidget *window, const char *name, const QString &text) {
  if (auto *edit = TShotDriver::Child<QLineEdit>(window, name))
    edit->setText(text);
}

QWidget *MainForm() { return TShotDriver::Shown("TMainForm"); }

void AddUser(TShotDriver &driver, const TNewUser &user, bool shot) {
  driver.Do(QStringLiteral("open \"Nowy użytkownik\""),
            [] { TShotDriver::TriggerLater(MainForm(), "NowyUzytkownikA"); });
  driver.Step(
      QStringLiteral("fill \"Nowy użytkownik\""), [] { return TShotDriver::Shown("TNowyUzytkownikF"); },
      [&driver, user, shot] {
        QWidget *dialog = TShotDriver::Shown("TNowyUzytkownikF");
        SetText(dialog, "edUser", QString::fromUtf8(user.Name));
        SetText(dialog, "edFirstName", QString::fromUtf8(user.FirstName));
        SetText(dialog, "edSecondName", QString::fromUtf8(user.SecondName));
        SetText(dialog, "edPesel", QString::fromUtf8(user.Pesel));
        SetText(dialog, "edPswd1", Password);
        SetText(dialog, "edPSWD2", Password);
        if (shot)
          QTimer::singleShot(300, dialog,
                             [&driver, dialog] { driver.Shot(dialog, QStringLiteral("nowy-uzytkownik")); });
      });
  driver.Do(QStringLiteral("accept \"Nowy użytkownik\""), [] {
    TShotDriver::ClickLater(TShotDriver::Child<QWidget>(TShotDriver::Shown("TNowyUzytkownikF"), "BitBtn3"));
  });
  driver.Step(
      QStringLiteral("user added"), [] { return !TShotDriver::Shown("TNowyUzytkownikF"); }, [] {});
}

bool NoMessageBox() { return !TShotDriver::Shown("QMessageBox"); }

// Runs once the questions of the statement before have been answered.
void RunInConsole(TShotDriver &driver, const QString &sql) {
  driver.Step(QStringLiteral("run: ") + sql, NoMessageBox, [sql] {
    QWidget *console = TShotDriver::Shown("TSQLMonitorForm");
    TShotDriver::Child<QPlainTextEdit>(console, "Memo")->setPlainText(sql);
    TShotDriver::TriggerLater(console, "ExecuteSQLAction");
  });
}

// Types the server's address, SYSDBA and its password into the main window.
void LogIn(TShotDriver &driver) {
  driver.Step(
      QStringLiteral("log in"), [] { return MainForm(); },
      [] {
        QWidget *form = MainForm();
        TShotDriver::Child<QComboBox>(form, "edSerwer")
            ->setEditText(qEnvironmentVariable("MERIDOX_SHOT_SERVER"));
        SetText(form, "edUserName", QStringLiteral("SYSDBA"));
        SetText(form, "edAdminPswd", qEnvironmentVariable("MERIDOX_SHOT_PASSWORD"));
      });
}

void SecurityManager(TShotDriver &driver) {
  driver.AutoAnswer(QString::fromUtf8("Przed utworzeniem nowej bazy"), QStringLiteral("&Tak"));
  driver.AutoAnswer(QString::fromUtf8("Baza danych została utworzona"), QStringLiteral("OK"));
  driver.AutoAnswer(QString::fromUtf8("Zostaną dokonane zmiany w bazie"), QStringLiteral("&Tak"));
  driver.AutoAnswer(QString::fromUtf8("Czy chcesz zatwierdzić zmiany"), QStringLiteral("&Tak"));

  LogIn(driver);
  driver.Do(QStringLiteral("create the security database"),
            [] { TShotDriver::ClickLater(TShotDriver::Child<QWidget>(MainForm(), "SpeedButton5")); });
  driver.Step(
      QStringLiteral("connected"), [] { return TShotDriver::ActionEnabled(MainForm(), "NowyUzytkownikA"); },
      [] {});
  static const TNewUser users[] = {{"JKOWALSKI", "Jan", "Kowalski", "85030412345"},
                                   {"ANOWAK", "Anna", "Nowak", "90121109876"},
                                   {"PWISNIEWSKI", "Piotr", "Wiśniewski", "78061523456"},
                                   {"MZIELINSKA", "Małgorzata", "Zielińska", "82092867890"}};
  for (const TNewUser &user : users)
    AddUser(driver, user, &user == &users[0]);

  driver.Do(QStringLiteral("open \"Monitor SQL\""),
            [] { TShotDriver::TriggerLater(MainForm(), "MonitorSQLA"); });
  driver.Step(
      QStringLiteral("console up"), [] { return TShotDriver::Shown("TSQLMonitorForm"); },
      [] {
        QWidget *console = TShotDriver::Shown("TSQLMonitorForm");
        auto *pages = TShotDriver::Child<QTabWidget>(console, "pgcProfil");
        pages->setCurrentWidget(TShotDriver::Child<QWidget>(console, "tabZaawansowane"));
        console->resize(900, 560);
      });
  RunInConsole(driver, QString::fromUtf8("update USERS set GRUPA = case when USER_NAME in ('PWISNIEWSKI', "
                                         "'MZIELINSKA') then 'Kadry' else 'Księgowość' end\n"
                                         "where USER_NAME <> 'SYSDBA'"));
  RunInConsole(driver, QStringLiteral("select cast(USER_NAME as varchar(12)) as UZYTKOWNIK,\n"
                                      "  cast(SECOND_NAME as varchar(12)) as NAZWISKO,\n"
                                      "  cast(GRUPA as varchar(12)) as GRUPA, PSWD_DATE\n"
                                      "from USERS\nwhere GRUPA is not null\norder by GRUPA, NAZWISKO"));
  driver.Step(QStringLiteral("picture of \"Monitor SQL\""), NoMessageBox, [&driver] {
    QWidget *console = TShotDriver::Shown("TSQLMonitorForm");
    driver.Shot(console, QStringLiteral("monitor-sql"));
    console->close();
  });

  // The users list shows the new groups after a new connect.
  driver.Do(QStringLiteral("disconnect"), [] { TShotDriver::TriggerLater(MainForm(), "DBDisconnectA"); });
  driver.Step(
      QStringLiteral("connect again"),
      [] { return !TShotDriver::ActionEnabled(MainForm(), "NowyUzytkownikA"); },
      [] { TShotDriver::TriggerLater(MainForm(), "DBConnectA"); });
  driver.Step(
      QStringLiteral("connected again"),
      [] { return TShotDriver::ActionEnabled(MainForm(), "NowyUzytkownikA"); }, [] {});
  driver.Do(QStringLiteral("list by surname"), [] {
    TShotDriver::ClickLater(TShotDriver::ButtonWithText(MainForm(), QStringLiteral("Nazwiska i imienia")));
  });
  driver.Do(QStringLiteral("picture of the main window"),
            [&driver] { driver.Shot(MainForm(), QStringLiteral("main-window")); });

  driver.Do(QStringLiteral("open \"Zmiana hasła\""),
            [] { TShotDriver::TriggerLater(MainForm(), "ZmienHasloA"); });
  driver.Step(
      QStringLiteral("picture of \"Zmiana hasła\""), [] { return TShotDriver::Shown("TZmianaHaslaF"); },
      [&driver] {
        QWidget *dialog = TShotDriver::Shown("TZmianaHaslaF");
        SetText(dialog, "edPSWD1", Password);
        SetText(dialog, "edPSWD2", Password);
        QTimer::singleShot(300, dialog, [&driver, dialog] {
          driver.Shot(dialog, QStringLiteral("zmiana-hasla"));
          TShotDriver::ClickLater(TShotDriver::Child<QWidget>(dialog, "BitBtn2"));
        });
      });
  driver.Step(
      QStringLiteral("\"Zmiana hasła\" closed"), [] { return !TShotDriver::Shown("TZmianaHaslaF"); }, [] {});

  driver.Do(QStringLiteral("open \"Grupy\""), [] {
    QWidget *edit = TShotDriver::Child<QWidget>(MainForm(), "edGrupa");
    for (QWidget *child : edit->findChildren<QWidget *>())
      if (child->inherits("TEditButton"))
        TShotDriver::ClickLater(child);
  });
  driver.Step(
      QStringLiteral("picture of \"Grupy\""), [] { return TShotDriver::Shown("TGrupyForm"); },
      [&driver] {
        QWidget *dialog = TShotDriver::Shown("TGrupyForm");
        driver.Shot(dialog, QStringLiteral("grupy"));
        // Escape with the focus in the grid closes it, as its cancel button would.
        QWidget *grid = TShotDriver::Child<QWidget>(dialog, "DBGrid1");
        grid->setFocus();
        QCoreApplication::postEvent(grid, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
      });
  driver.Step(
      QStringLiteral("\"Grupy\" closed by Escape"), [] { return !TShotDriver::Shown("TGrupyForm"); },
      [] { MainForm()->close(); });
}

// "Połącz" on a server that has no security database yet: the program's title over a short text,
// the box that came out too narrow for its caption.
void MessageBoxes(TShotDriver &driver) {
  LogIn(driver);
  driver.Do(QString::fromUtf8("\"Połącz\" without the security database"),
            [] { TShotDriver::TriggerLater(MainForm(), "DBConnectA"); });
  driver.Step(
      QStringLiteral("the error box"), [] { return !NoMessageBox(); },
      [&driver] {
        auto *box = qobject_cast<QMessageBox *>(TShotDriver::Shown("QMessageBox"));
        const QString text = QString::fromUtf8("Błąd otwarcia pliku.");
        const QString caption = QString::fromUtf8("Menadżer użytkowników MERIDOX");
        if (box->text() != text || box->windowTitle() != caption)
          driver.Fail(QStringLiteral("the box \"%1\" over \"%2\" came instead of \"%3\" over \"%4\"")
                          .arg(box->windowTitle(), box->text(), caption, text));
        driver.CheckCaptionRoom(box);
        if (QAbstractButton *ok = TShotDriver::ButtonWithText(box, QStringLiteral("OK"))) {
          TShotDriver::ClickLater(ok);
        } else {
          driver.Fail(QStringLiteral("the box has no button \"OK\""));
          box->reject();
        }
      });
  driver.Step(QStringLiteral("the box answered"), NoMessageBox, [] { MainForm()->close(); });
}

void Updater(TShotDriver &driver) {
  driver.AutoAnswer(QString::fromUtf8("Pobieranie pliku zakończyło się"), QStringLiteral("&Tak"));
  driver.AutoAnswer(QString::fromUtf8("Upgrade został przeprowadzony"), QStringLiteral("OK"));
  driver.Step(
      QStringLiteral("picture of the updater"), [] { return TShotDriver::Shown("TMainWindow"); },
      [&driver] {
        QWidget *window = TShotDriver::Shown("TMainWindow");
        driver.Shot(window, QStringLiteral("upgrade"));
        TShotDriver::ClickLater(TShotDriver::Child<QWidget>(window, "GetUpgrade"));
      });
  driver.Step(
      QStringLiteral("picture of the download"),
      [] {
        auto *bar = TShotDriver::Child<QProgressBar>(TShotDriver::Shown("TURLGetFileWnd"), "ProgressBar");
        return bar && bar->maximum() > 0 && bar->value() * 3 > bar->maximum();
      },
      [&driver] { driver.Shot(TShotDriver::Shown("TURLGetFileWnd"), QStringLiteral("upgrade-pobieranie")); });
  driver.Step(
      QStringLiteral("upgrade done"),
      [] { return !TShotDriver::Shown("TURLGetFileWnd") && !TShotDriver::Shown("QMessageBox"); },
      [] { TShotDriver::Shown("TMainWindow")->close(); });
}

} // namespace

void AddScenario(TShotDriver &driver, const QString &scenario) {
  if (scenario == QStringLiteral("meridox_sec"))
    SecurityManager(driver);
  else if (scenario == QStringLiteral("upgrade"))
    Updater(driver);
  else if (scenario == QStringLiteral("message-boxes"))
    MessageBoxes(driver);
  else
    driver.Fail(QStringLiteral("no scenario ") + scenario);
}
