#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <vector>
#include <cstring>

namespace {

// The system's message, in the language the program runs in.
QString systemMessage(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// The program run from the command line with the batch options: measure, save, quit.
class BatchTest : public ::testing::Test {
protected:
    // Runs the program on the simulated instrument; false when it did not end in time.
    bool runProgram(const QStringList& args, int timeoutMs = 60000) {
        process.setProgram(VARENTIS_EXECUTABLE);
        process.setArguments(QStringList{"-platform", "offscreen"} + args);
        process.start();
        if (!process.waitForFinished(timeoutMs)) {
            process.kill();
            process.waitForFinished();
            return false;
        }
        return true;
    }
    // The file's lines; each must end with CRLF.
    QStringList crlfLines(const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray bytes = f.readAll();
        EXPECT_TRUE(bytes.endsWith("\r\n")) << "the last line ends with CRLF too";
        QStringList lines = QString::fromLatin1(bytes).split("\r\n");
        lines.removeLast(); // after the final CRLF
        for (const QString& line : lines)
            EXPECT_FALSE(line.contains('\n') || line.contains('\r')) << "bare line break in "
                                                                     << line.toStdString();
        return lines;
    }
    QStringList batchArgs(double seconds) {
        return {"--ini", dir.filePath("v.ini"), "--run", QString::number(seconds), "--save",
                dir.filePath("out.vrd"), "--quit", "--sim-speed", "10"};
    }

    QTemporaryDir dir;
    QProcess process;
};

const QStringList kDefaultSetup{
    "Period=100",          "Period units=ms",      "Damping=0",          "Damping units=%",
    "Zero=0",              "Cycle time=30",        "PMT voltage=100",    "Y min=0",
    "Y max=100",           "Y units=nA",           "X min=0",            "X max=100",
    "X units=s",           "Potential=0",          "Using potentiostat=true",
    "Show potential=false", "Draw current=false",  "Potential Min=-2",   "Potential Max=2",
    "Current Min=-2",      "Current Max=2",        "Current units=pA",   "Electrodes=0",
    "Electrodes off=false", "Using pump=true",     "Show pump=false",    "Pump=50",
    "Using valves=true",   "Show valves=false"};

TEST_F(BatchTest, RunSaveQuitWritesAWholeDataFileAndExitsWithSuccess) {
    ASSERT_TRUE(runProgram(batchArgs(3))) << "the program did not end";
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("v.ini"))) << "settings written at the close";

    const QStringList lines = crlfLines(dir.filePath("out.vrd"));
    ASSERT_GE(lines.size(), 1 + 29 + 3);
    EXPECT_EQ(lines[0], "[Setup]");
    EXPECT_EQ(lines.mid(1, 29), kDefaultSetup);
    EXPECT_EQ(lines[30], "[Valves]");
    EXPECT_EQ(lines[31], "[Info]");
    EXPECT_EQ(lines[32], "[Data]");

    // Time and signal with two decimals; the potentiostat is in use, so its current
    // follows with three.
    const QRegularExpression point(R"(^(\d+\.\d\d)\t(-?\d+\.\d\d)\t(-?\d+\.\d\d\d)$)");
    // --run 3 stops after 3 s of measurement: 30 points of 100 ms, the last at 2.90 s.
    const QStringList data = lines.mid(33);
    ASSERT_EQ(data.size(), 30);
    for (int i = 0; i < data.size(); ++i) {
        const auto m = point.match(data[i]);
        ASSERT_TRUE(m.hasMatch()) << "line " << i << ": " << data[i].toStdString();
        EXPECT_EQ(m.captured(1), QString::number(0.1 * i, 'f', 2));
        const double signal = m.captured(2).toDouble();
        EXPECT_GE(signal, 0.0);
        EXPECT_LE(signal, 100.0);
    }
}

TEST_F(BatchTest, BadOptionsEndWithAnErrorAndWriteNothing) {
    const QStringList cases[] = {
        {"--ini", dir.filePath("v.ini"), "--run", "abc", "--quit"},
        {"--ini", dir.filePath("v.ini"), "--run", "-3", "--quit"},
        {"--ini", dir.filePath("v.ini"), "--sim-speed", "0", "--quit"},
        {"--ini", dir.filePath("v.ini"), "--bus", "nonsense", "--quit"},
        {"--ini", dir.filePath("v.ini"), "--sim-fault", "no-detector", "--quit"},
        {"--ini", dir.filePath("v.ini"), "--bus", "ioport", "--sim-fault", "no-pump", "--quit"},
        {"--ini", dir.filePath("v.ini"), dir.filePath("a.vrd"), dir.filePath("b.vrd"), "--quit"},
        // An empty file name would save nothing and still end with success.
        {"--ini", dir.filePath("v.ini"), "--run", "0.5", "--save", "", "--quit"},
    };
    for (const QStringList& args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        ASSERT_TRUE(runProgram(args, 20000));
        EXPECT_NE(process.exitCode(), 0);
        EXPECT_FALSE(process.readAllStandardError().isEmpty()) << "the reason is told";
        EXPECT_FALSE(QFile::exists(dir.filePath("v.ini")));
    }
}

TEST_F(BatchTest, SaveWithNothingMeasuredOrOpenedLeavesTheTargetAlone) {
    const QString target = dir.filePath("keep.vrd");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Setup]\r\n[Data]\r\n0.00\t1.00\r\n");
    }
    ASSERT_TRUE(runProgram({"--ini", dir.filePath("v.ini"), "--save", target, "--quit"}, 20000));
    EXPECT_NE(process.exitCode(), 0);
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[Setup]\r\n[Data]\r\n0.00\t1.00\r\n"));
}

TEST_F(BatchTest, UnwritableSettingsFailTheUnattendedRun) {
    // The settings cannot be written into a folder that does not exist.
    ASSERT_TRUE(runProgram({"--ini", dir.filePath("missing/v.ini"), "--quit"}, 20000));
    EXPECT_NE(process.exitCode(), 0);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err.contains(("Unable to write to " + dir.filePath("missing/v.ini") + ": " +
                              systemMessage(ENOENT))
                                 .toLocal8Bit()))
        << "the file and the reason: " << err.toStdString();
}

TEST_F(BatchTest, AReadOnlyDataFileIsNotReplacedAndTheRunFails) {
    const QString target = dir.filePath("kept.vrd");
    {
        QFile f(target);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Setup]\r\n[Data]\r\n");
    }
    QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    ASSERT_TRUE(runProgram({"--ini", dir.filePath("v.ini"), "--run", "0.5", "--save", target,
                            "--quit", "--sim-speed", "10"}));
    EXPECT_EQ(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err.contains(("Unable to write to " + target + ": " + systemMessage(EACCES)).toLocal8Bit()))
        << err.toStdString();
    QFile f(target);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("[Setup]\r\n[Data]\r\n"));
}

// A bus trace on a full disk is a trace not written: the program says so and fails.
TEST_F(BatchTest, ABusTraceThatCannotBeWrittenFailsTheRun) {
    ASSERT_TRUE(runProgram({"--ini", dir.filePath("v.ini"), "--bus-trace", "/dev/full", "--run",
                            "0.5", "--quit", "--sim-speed", "10"}));
    EXPECT_NE(process.exitCode(), 0);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err.contains(("cannot write bus trace /dev/full: " + systemMessage(ENOSPC)).toLocal8Bit()))
        << err.toStdString();
}

// The window system's own options do not get in the way of the text-only options.
TEST_F(BatchTest, HelpAndVersionWorkWithThePlatformOption) {
    ASSERT_TRUE(runProgram({"--help"}, 20000)); // after "-platform offscreen"
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(process.readAllStandardOutput().contains("--bus-trace"));
    ASSERT_TRUE(runProgram({"--version", "-style", "fusion"}, 20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(process.readAllStandardOutput().contains("Varentis 1.0"));
}

TEST_F(BatchTest, MissingInstrumentFailsTheRunWithTheModuleLines) {
    ASSERT_TRUE(runProgram({"--ini", dir.filePath("v.ini"), "--bus", "ppdev:" + dir.filePath("none"),
                            "--run", "1", "--save", dir.filePath("out.vrd"), "--quit"},
                           20000));
    EXPECT_EQ(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err.contains("PMT detector: not ready")) << err.toStdString();
    EXPECT_TRUE(err.contains("Pump controller: not ready"));
    EXPECT_FALSE(QFile::exists(dir.filePath("out.vrd")));
}

TEST_F(BatchTest, SimulatedModuleFaultFailsTheRunNamingTheModule) {
    ASSERT_TRUE(runProgram({"--ini", dir.filePath("v.ini"), "--sim-fault", "no-valves", "--run",
                            "1", "--save", dir.filePath("out.vrd"), "--quit"},
                           20000));
    EXPECT_EQ(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    EXPECT_TRUE(err.contains("Valve controller: not ready")) << err.toStdString();
    EXPECT_TRUE(err.contains("Potentiostat: OK")) << err.toStdString();
    EXPECT_FALSE(QFile::exists(dir.filePath("out.vrd")));
}

TEST_F(BatchTest, FaultyReadingsStillGiveAWholeRunOnTheAcquisitionThread) {
    // The modules answer, their readings are wrong: the run measures its time and ends.
    // A 50 nA signal axis puts the detector on its 100 nA range.
    {
        QFile ini(dir.filePath("v.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Setup]\r\nY max=50\r\n");
    }
    ASSERT_TRUE(runProgram(batchArgs(2) + QStringList{"--sim-fault",
                                                      "conversion-not-finishing,pmt-over-range"}))
        << "the program did not end";
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QStringList lines = crlfLines(dir.filePath("out.vrd"));
    const QStringList data = lines.mid(lines.indexOf("[Data]") + 1);
    ASSERT_EQ(data.size(), 20);
    for (const QString& line : data) {
        const QStringList columns = line.split('\t');
        ASSERT_EQ(columns.size(), 3) << line.toStdString();
        EXPECT_EQ(columns[1], "199.96") << "4095 counts of the 100 nA range";
        EXPECT_LT(columns[2].toDouble(), -1000.0) << "beyond the 1 nA range: " << line.toStdString();
    }
}

TEST_F(BatchTest, OpeningAMissingFileFailsWithoutTouchingTheSaveTarget) {
    ASSERT_TRUE(runProgram({"--ini", dir.filePath("v.ini"), dir.filePath("missing.vrd"), "--save",
                            dir.filePath("out.vrd"), "--quit"},
                           20000));
    EXPECT_NE(process.exitCode(), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath("out.vrd")));
}

TEST_F(BatchTest, PrintPdfPrintsTheReportOfTheMeasuredOrOpenedRun) {
    const QString measured = dir.filePath("measured.pdf");
    ASSERT_TRUE(runProgram(batchArgs(2) + QStringList{"--print-pdf", measured}));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    auto isPdf = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) && f.read(5) == "%PDF-";
    };
    EXPECT_TRUE(isPdf(measured));

    const QString opened = dir.filePath("opened.pdf");
    ASSERT_TRUE(runProgram({"--ini", dir.filePath("v.ini"), dir.filePath("out.vrd"), "--print-pdf",
                            opened, "--quit"},
                           20000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_TRUE(isPdf(opened));
}

TEST_F(BatchTest, PrintPdfNeedsARunOrAFileAndAPlaceToWrite) {
    ASSERT_TRUE(runProgram({"--ini", dir.filePath("v.ini"), "--print-pdf", dir.filePath("r.pdf"),
                            "--quit"},
                           20000));
    EXPECT_EQ(process.exitCode(), 2);
    EXPECT_TRUE(process.readAllStandardError().contains("--print-pdf needs --run or a FILE"));
    EXPECT_FALSE(QFile::exists(dir.filePath("r.pdf")));

    ASSERT_TRUE(runProgram(batchArgs(1) + QStringList{"--print-pdf", dir.filePath("no/r.pdf")}));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("Cannot print to"));

    process.start(VARENTIS_EXECUTABLE, {"--help"});
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_TRUE(process.readAllStandardOutput().contains("--print-pdf <FILE>"));
}

} // namespace

namespace {

// The spread of the signals of a saved run's points (nA).
double signalSpread(const QStringList& lines) {
    const qsizetype data = lines.indexOf("[Data]");
    double sum = 0, sumSquares = 0;
    int n = 0;
    for (qsizetype i = data + 1; data >= 0 && i < lines.size(); ++i) {
        const double signal = lines[i].split('\t').value(1).toDouble();
        sum += signal;
        sumSquares += signal * signal;
        ++n;
    }
    return n > 1 ? std::sqrt(std::max(0.0, sumSquares / n - (sum / n) * (sum / n))) : -1.0;
}

// A faster simulated clock gives the acquisition timer the same 110 ms of instrument time:
// the ticks still cover the run, so every point averages the readings of its whole period.
// With the timer at 110 ms of the computer's time, a tick at ten times the speed covered a
// tenth of the run and most points were single readings, as noisy as one reading is.
TEST_F(BatchTest, AFasterSimulatedClockAveragesPointsAsTheRealOne) {
    std::vector<double> spread;
    for (const char* speed : {"1", "10"}) {
        SCOPED_TRACE(speed);
        const QString out = dir.filePath(QString("speed%1.vrd").arg(speed));
        ASSERT_TRUE(runProgram({"--ini", dir.filePath("v.ini"), "--run", "3", "--save", out,
                                "--quit", "--sim-speed", speed}));
        ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        spread.push_back(signalSpread(crlfLines(out)));
        ASSERT_GT(spread.back(), 0.0);
    }
    EXPECT_LT(spread[1], 3 * spread[0]) << "at 1x " << spread[0] << " nA, at 10x " << spread[1];
}

} // namespace
