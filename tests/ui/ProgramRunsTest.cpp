// The real webaccess program, started again and again under the offscreen
// platform, with the driver plugin (ProgramDriver.cpp) answering its boxes
// and pressing its buttons: every start gets to the order question, every
// way out ends the process with status 0, and nothing the toolkit or the web
// engine prints on the way (a fatal error, an object released in the wrong
// order) shows on the standard error. A second start in the same folder
// says so and leaves it as it was.
#include <signal.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <thread>

namespace {

constexpr int kRuns = 5;
constexpr int kRunLimitMs = 30000;

// One record of the inquiry file.
const char* const kRecord = "1ADAMS JOHN Q        7ABC001        CAORDER 1            \r\n";

// What must never show on the standard error. The engine and the toolkit
// report these and go on, or abort after them.
const char* const kTroubles[] = {
    "Release of profile requested",  // a profile released before its pages
    "still not deleted",
    "Expect troubles",
    "FATAL",
    "Fatal",
    "ASSERT",
    "QObject::",  // a connection, timer or thread used from the wrong place
    "QWidget::",
    "QBasicTimer::",
    "QThread:",
    "driver: unexpected",
};

struct Run {
  QProcess::ExitStatus how = QProcess::CrashExit;
  int status = -1;
  bool finished = false;
  bool helpersGone = false;
  QString leftBehind;  // the processes of the group that had not gone
  QString errors;
  bool inquiryLeft = false;
};

// Each process of the group: its id, state and command line.
QString GroupProcesses(pid_t group) {
  QString found;
  for (const QString& pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) continue;
    // pid (comm) state ppid pgrp ...: the fields after the last ')'.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 3 || fields[2].toLong() != group) continue;
    QFile command(QStringLiteral("/proc/%1/cmdline").arg(pid));
    if (!command.open(QIODevice::ReadOnly)) continue;
    found += QStringLiteral("%1 %2 %3\n")
                 .arg(pid, QString::fromLatin1(fields[0]),
                      QString::fromLocal8Bit(command.readAll().replace('\0', ' ')));
  }
  return found;
}

// Whether the group is left without a process within 30 seconds. The web
// engine's zygote now and then outlives the program by up to about 17 s
// before it notices and goes. What is left after that is noted and killed
// at once: while the group has a process its number cannot go to another
// group.
bool GroupEnds(pid_t group, QString& leftBehind) {
  for (int i = 0; i < 3000; ++i) {
    if (::kill(-group, 0) != 0) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  leftBehind = GroupProcesses(group);
  if (::kill(-group, 0) == 0) ::kill(-group, SIGKILL);
  return false;
}

// Writes the one-record order into the working directory.
bool WriteOrder(const QString& dir) {
  QFile inquiry(QDir(dir).filePath(QStringLiteral("INQUIRY.QDK")));
  if (!inquiry.open(QIODevice::WriteOnly)) return false;
  inquiry.write(kRecord);
  return true;
}

// Starts the program in `dir`, in a process group of its own, with the
// driver taking `steps`. The web engine's helpers are in the group too.
void Launch(QProcess& program, const QString& dir, const QString& steps) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  environment.insert(QStringLiteral("QTWEBENGINE_DISABLE_SANDBOX"), QStringLiteral("1"));
  environment.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(WEBACCESS_TEST_PLUGIN_PATH));
  environment.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("webaccessdriver"));
  environment.insert(QStringLiteral("WEBACCESS_DRIVE"), steps);
  // No request goes out before Start; should one go, nothing answers there.
  environment.insert(QStringLiteral("WEBACCESS_MAIN_URL"), QStringLiteral("http://127.0.0.1:9/"));

  program.setProcessEnvironment(environment);
  program.setWorkingDirectory(dir);
  program.setStandardInputFile(QProcess::nullDevice());
  program.setStandardOutputFile(QProcess::nullDevice());
  program.setChildProcessModifier([] { ::setpgid(0, 0); });
  program.start(QStringLiteral(WEBACCESS_PROGRAM_PATH),
                {QStringLiteral("1234567DEMO,DEMO01,PASSWD")});
}

// Waits for the program started by Launch, killing its group when it does
// not end in time; then waits for the group's helpers to go.
void Finish(QProcess& program, Run& run) {
  const auto group = static_cast<pid_t>(program.processId());
  run.finished = program.waitForFinished(kRunLimitMs);
  if (!run.finished) {
    ::kill(-group, SIGKILL);
    program.waitForFinished();
  } else {
    run.how = program.exitStatus();
    run.status = program.exitCode();
  }
  run.helpersGone = GroupEnds(group, run.leftBehind);
  run.errors = QString::fromLocal8Bit(program.readAllStandardError());
}

// Starts the program in a scratch working directory holding one order and
// lets the driver take `steps`. After the program has ended, the web
// engine's helpers must go by themselves.
Run RunProgram(const QString& steps) {
  Run run;
  QTemporaryDir work;
  if (!work.isValid() || !WriteOrder(work.path())) return run;
  QProcess program;
  Launch(program, work.path(), steps);
  if (!program.waitForStarted()) return run;
  Finish(program, run);
  run.inquiryLeft = QFile::exists(work.filePath(QStringLiteral("INQUIRY.QDK")));
  return run;
}

// Every file of the folder, with its content and time of last change.
QStringList Folder(const QString& dir) {
  QStringList files;
  for (const QFileInfo& file : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden)) {
    QFile content(file.filePath());
    if (!content.open(QIODevice::ReadOnly)) continue;
    files << QStringLiteral("%1 %2 %3")
                 .arg(file.fileName(), QString::number(file.lastModified().toMSecsSinceEpoch()),
                      QString::fromLatin1(content.readAll().toHex()));
  }
  return files;
}

QStringList Troubles(const QString& errors) {
  QStringList found;
  for (const QString& line : errors.split(QLatin1Char('\n'))) {
    for (const char* trouble : kTroubles) {
      if (line.contains(QLatin1String(trouble))) {
        found << line;
        break;
      }
    }
  }
  return found;
}

// What a failure shows: the run, how it ended, the troubles found and the
// whole standard error.
QByteArray Report(const QString& name, const Run& run) {
  return QStringLiteral(
             "%1: %2 with status %3; left behind: [%4]; troubles: [%5]; "
             "standard error:\n%6")
      .arg(name, !run.finished                     ? QStringLiteral("did not end")
                 : run.how == QProcess::NormalExit ? QStringLiteral("ended")
                                                   : QStringLiteral("crashed"))
      .arg(run.status)
      .arg(run.leftBehind)
      .arg(Troubles(run.errors).join(QLatin1String(" | ")), run.errors)
      .toLocal8Bit();
}

}  // namespace

class ProgramRunsTest : public QObject {
  Q_OBJECT

 private slots:
  void yesThenExitEndsWithStatusZeroEveryTime();
  void noToBothQuestionsEndsAtOnceWithStatusZero();
  void aSecondWindowInTheFolderSaysSoAndTouchesNothing();
};

void ProgramRunsTest::yesThenExitEndsWithStatusZeroEveryTime() {
  for (int i = 1; i <= kRuns; ++i) {
    const Run run = RunProgram(QStringLiteral("QUESTION=Yes;>cmdExit;Exit Question=Yes"));
    const QByteArray where = Report(QStringLiteral("run %1").arg(i), run);
    QVERIFY2(run.finished, where.constData());
    QVERIFY2(run.how == QProcess::NormalExit, where.constData());
    QVERIFY2(run.status == 0, where.constData());
    QVERIFY2(run.errors.contains(QLatin1String("driver: Exit Question: Yes")), where.constData());
    QVERIFY2(Troubles(run.errors).isEmpty(), where.constData());
    QVERIFY2(run.helpersGone, where.constData());
    // The confirmed exit deletes the inquiry file.
    QVERIFY2(!run.inquiryLeft, where.constData());
  }
}

void ProgramRunsTest::noToBothQuestionsEndsAtOnceWithStatusZero() {
  const Run run = RunProgram(QStringLiteral("QUESTION=No;QUESTION=No"));
  const QByteArray where = Report(QStringLiteral("the run"), run);
  QVERIFY2(run.finished, where.constData());
  QVERIFY2(run.how == QProcess::NormalExit, where.constData());
  QVERIFY2(run.status == 0, where.constData());
  QVERIFY2(Troubles(run.errors).isEmpty(), where.constData());
  QVERIFY2(run.helpersGone, where.constData());
  // Ending at once leaves the order as it was.
  QVERIFY2(run.inquiryLeft, where.constData());
}

void ProgramRunsTest::aSecondWindowInTheFolderSaysSoAndTouchesNothing() {
  QTemporaryDir work;
  QVERIFY(work.isValid() && WriteOrder(work.path()));
  const QString trace = work.filePath(QStringLiteral("TRACE.QDK"));

  // The first program waits at its order question, nobody answering.
  QProcess first;
  Launch(first, work.path(), QString());
  QVERIFY(first.waitForStarted());
  const auto firstGroup = static_cast<pid_t>(first.processId());
  for (int i = 0; i < kRunLimitMs / 10 && QFileInfo(trace).size() == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  QVERIFY2(QFileInfo(trace).size() > 0, "the first program did not start its trace");
  const QStringList before = Folder(work.path());

  Run second;
  QProcess secondProgram;
  Launch(secondProgram, work.path(), QStringLiteral("webaccess=OK"));
  QVERIFY(secondProgram.waitForStarted());
  Finish(secondProgram, second);
  const QByteArray where = Report(QStringLiteral("the second program"), second);
  QVERIFY2(second.finished && second.how == QProcess::NormalExit, where.constData());
  QVERIFY2(second.status == 8, where.constData());
  QVERIFY2(second.errors.contains(QLatin1String("already running in this folder")),
           where.constData());
  QVERIFY2(second.errors.contains(QLatin1String("driver: webaccess: OK")), where.constData());
  QVERIFY2(Troubles(second.errors).isEmpty(), where.constData());
  QCOMPARE(Folder(work.path()), before);

  // Killed outright, the first program leaves no lock behind, even while
  // the web engine's helpers of its group may still be going: a new start
  // gets to the order question at once.
  ::kill(firstGroup, SIGKILL);
  first.waitForFinished();
  Run third;
  QProcess thirdProgram;
  Launch(thirdProgram, work.path(), QStringLiteral("QUESTION=No;QUESTION=No"));
  QVERIFY(thirdProgram.waitForStarted());
  Finish(thirdProgram, third);
  QString leftBehind;
  GroupEnds(firstGroup, leftBehind);
  const QByteArray thirdWhere = Report(QStringLiteral("the program after the kill"), third);
  QVERIFY2(third.finished && third.status == 0, thirdWhere.constData());
  QVERIFY2(third.errors.contains(QLatin1String("driver: QUESTION: No")), thirdWhere.constData());
  QVERIFY2(!third.errors.contains(QLatin1String("already running")), thirdWhere.constData());
}

QTEST_GUILESS_MAIN(ProgramRunsTest)
#include "ProgramRunsTest.moc"
