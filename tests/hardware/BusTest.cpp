#include "SimFixture.h"

#include "hardware/BusFactory.h"
#include "hardware/IoPortBackend.h"
#include "hardware/PpdevBackend.h"
#include "hardware/TVicPort.h"
#include "hardware/TraceBackend.h"

#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace varentis::test {
namespace {

constexpr PortAccess W(std::uint16_t port, std::uint8_t v) { return {true, port, v}; }
constexpr PortAccess R(std::uint16_t port, std::uint8_t v) { return {false, port, v}; }

using BusSequence = SimFixture;

TEST_F(BusSequence, SetPortWritesTheSixPortValuesInOrder) {
    dev.SetPort(0x85, 0);
    const std::vector<PortAccess> expected{W(0x378, 0x85), W(0x37A, 0x04), W(0x37A, 0x0C),
                                           W(0x378, 0x00), W(0x37A, 0x08), W(0x37A, 0x0C)};
    EXPECT_EQ(sim.portAccesses(), expected);
    EXPECT_EQ(writes(), (std::vector<RegisterWrite>{{0x85, 0}}));
}

TEST_F(BusSequence, ReadPortSelectsReadsOnceAndReturnsTheByteUnchanged) {
    sim.scriptRead(0xA2, {0xC3});
    EXPECT_EQ(dev.ReadPort(0xA2), 0xC3);
    const std::vector<PortAccess> expected{W(0x378, 0xA2), W(0x37A, 0x04), W(0x37A, 0x0C),
                                           W(0x37A, 0x2E), W(0x37A, 0x2A), R(0x378, 0xC3),
                                           W(0x37A, 0x0C)};
    EXPECT_EQ(sim.portAccesses(), expected);
    EXPECT_TRUE(writes().empty());
}

// Sequences that break the strobe protocol somewhere; none may reach a register.
TEST_F(BusSequence, MalformedSequencesWriteNoRegister) {
    const std::vector<std::vector<std::pair<std::uint16_t, std::uint8_t>>> cases{
        // no address strobe
        {{0x378, 0x80}, {0x37A, 0x0C}, {0x378, 0x55}, {0x37A, 0x08}, {0x37A, 0x0C}},
        // address strobe but no data strobe
        {{0x378, 0x80}, {0x37A, 0x04}, {0x37A, 0x0C}, {0x378, 0x55}, {0x37A, 0x0C}},
        // data strobe never released
        {{0x378, 0x80}, {0x37A, 0x04}, {0x37A, 0x0C}, {0x378, 0x55}, {0x37A, 0x08}},
        // a foreign control value between address and data strobe
        {{0x378, 0x80}, {0x37A, 0x04}, {0x37A, 0x0C}, {0x37A, 0x00}, {0x37A, 0x0C},
         {0x378, 0x55}, {0x37A, 0x08}, {0x37A, 0x0C}},
        // the data strobe of a read cycle is not a write
        {{0x378, 0x80}, {0x37A, 0x04}, {0x37A, 0x0C}, {0x37A, 0x2E}, {0x37A, 0x2A},
         {0x37A, 0x0C}, {0x378, 0x55}, {0x37A, 0x08}, {0x37A, 0x0C}},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        sim.clearRecord();
        for (auto [port, value] : cases[i]) sim.writePort(port, value);
        // Whatever the bus does next is not the end of the strobe.
        sim.writePort(0x37A, 0x00);
        sim.writePort(0x37A, 0x0C);
        EXPECT_TRUE(writes().empty()) << "case " << i;
        EXPECT_EQ(sim.pumpSpeed(), 0) << "case " << i;
    }
    // The decoder is not left confused: a correct sequence right after still works.
    dev.SetPort(0x80, 0x55);
    EXPECT_EQ(sim.pumpSpeed(), 0x55);
}

TEST_F(BusSequence, ReadOutsideAReadCycleGivesNoRegister) {
    // Direction bit without the read-select sequence: the lines float.
    sim.writePort(0x37A, 0x2A);
    EXPECT_EQ(sim.readPort(0x378), 0xFF);
    // Output direction: the PC reads its own latch back.
    sim.writePort(0x37A, 0x0C);
    sim.writePort(0x378, 0x42);
    EXPECT_EQ(sim.readPort(0x378), 0x42);
}

// A backend that counts the library calls of the port-access object.
class CountingBackend final : public PortBackend {
public:
    int openPort() override { ++opens; return openResult; }
    void closePort() override { ++closes; }
    void writePort(std::uint16_t port, std::uint8_t value) override { last = {true, port, value}; }
    std::uint8_t readPort(std::uint16_t port) override { last = {false, port, 0}; return 0x5A; }
    int openResult = 1;
    int opens = 0;
    int closes = 0;
    PortAccess last{};
};

struct PortObject : ::testing::Test {
    PortObject() { setPortBackend(&bus); }
    ~PortObject() override { setPortBackend(nullptr); }
    CountingBackend bus;
};

TEST_F(PortObject, OpenCallsTheLibraryOnceWhileOpenAndRetriesAfterAFailure) {
    {
        TVicPort port;
        EXPECT_FALSE(port.Opened);
        EXPECT_TRUE(port.Open());
        EXPECT_TRUE(port.Open());
        EXPECT_EQ(bus.opens, 1);
        port.Close();
        EXPECT_FALSE(port.Opened);
        EXPECT_EQ(bus.closes, 1);
        port.Close();
        EXPECT_EQ(bus.closes, 1);
    }
    EXPECT_EQ(bus.closes, 2) << "destroying always closes the library";

    bus.openResult = 0;
    bus.opens = 0;
    TVicPort port;
    EXPECT_FALSE(port.Open());
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(bus.opens, 2);
    port.Close();
    EXPECT_EQ(bus.closes, 2) << "closing a port that is not open leaves the library alone";
}

TEST_F(PortObject, ReadAndWriteGoToTheBackendWhateverOpenedSays) {
    TVicPort port;
    TVicPort::WritePort(0x37A, 0x0C);
    EXPECT_EQ(bus.last, W(0x37A, 0x0C));
    EXPECT_EQ(TVicPort::ReadPort(0x378), 0x5A);
}

TEST(PortBackendDefault, WithoutABackendTheBusIsEmptyAndNothingFails) {
    setPortBackend(nullptr);
    TDevice dev(portBackend());
    EXPECT_EQ(OpenTVicPort(), 0);
    dev.SetPort(0x80, 1);
    EXPECT_EQ(dev.ReadPort(0x80), 0xFF);
    EXPECT_FALSE(dev.DeviceTest());
    CloseTVicPort();
}

// Records the ppdev calls; the argument of each ioctl is kept as the int or byte it points to.
struct PpdevCall {
    std::string what;
    unsigned long request = 0;
    int argument = -1;
    bool operator==(const PpdevCall&) const = default;
};

class RecordingPpdev final : public PpdevCalls {
public:
    explicit RecordingPpdev(std::vector<PpdevCall>* log, int openResult = 3, int claimResult = 0)
        : log_(log), openResult_(openResult), claimResult_(claimResult) {}
    int open(const char* path) override {
        log_->push_back({std::string("open ") + path, 0, -1});
        return openResult_;
    }
    int ioctl(int, unsigned long request, void* argument) override {
        int value = -1;
        if (request == PPDATADIR) value = *static_cast<int*>(argument);
        else if (request == PPWDATA || request == PPWCONTROL) value = *static_cast<unsigned char*>(argument);
        else if (request == PPRDATA) *static_cast<unsigned char*>(argument) = 0x5B;
        log_->push_back({"ioctl", request, value});
        return request == PPCLAIM ? claimResult_ : 0;
    }
    void close(int) override { log_->push_back({"close", 0, -1}); }

private:
    std::vector<PpdevCall>* log_;
    int openResult_;
    int claimResult_;
};

TEST(Ppdev, ReadPortSequenceBecomesDataControlAndDirectionIoctls) {
    std::vector<PpdevCall> log;
    PpdevBackend backend("/dev/parport1", std::make_unique<RecordingPpdev>(&log));
    ASSERT_EQ(backend.openPort(), 1);
    EXPECT_EQ(backend.openPort(), 1);
    const std::vector<PpdevCall> opened{{"open /dev/parport1", 0, -1}, {"ioctl", PPCLAIM, -1},
                                        {"ioctl", PPDATADIR, 0}};
    EXPECT_EQ(log, opened);
    log.clear();

    TDevice dev(backend);
    EXPECT_EQ(dev.ReadPort(0xA2), 0x5B);
    const std::vector<PpdevCall> expected{
        {"ioctl", PPWDATA, 0xA2},   {"ioctl", PPWCONTROL, 0x04}, {"ioctl", PPWCONTROL, 0x0C},
        // direction to input before read select and the strobe
        {"ioctl", PPDATADIR, 1},    {"ioctl", PPWCONTROL, 0x0E}, {"ioctl", PPWCONTROL, 0x0A},
        {"ioctl", PPRDATA, -1},
        // strobe released before the PC drives the lines again
        {"ioctl", PPWCONTROL, 0x0C}, {"ioctl", PPDATADIR, 0}};
    EXPECT_EQ(log, expected);

    log.clear();
    backend.closePort();
    backend.closePort();
    EXPECT_EQ(log, (std::vector<PpdevCall>{{"ioctl", PPRELEASE, -1}, {"close", 0, -1}}));
}

TEST(Ppdev, MissingOrBusyDeviceLeavesThePortClosedAndAccessesHarmless) {
    for (bool missing : {true, false}) {
        std::vector<PpdevCall> log;
        PpdevBackend backend("/dev/parport0",
                             std::make_unique<RecordingPpdev>(&log, missing ? -1 : 3, missing ? 0 : -1));
        EXPECT_EQ(backend.openPort(), 0);
        const std::size_t afterOpen = log.size();
        EXPECT_EQ(afterOpen, missing ? 1u : 3u) << "a failed claim closes the device again";
        backend.writePort(0x378, 1);
        EXPECT_EQ(backend.readPort(0x378), 0xFF);
        backend.closePort();
        EXPECT_EQ(log.size(), afterOpen);
    }
}

TEST(Ppdev, RealDeviceThatIsAbsentOpensToZero) {
    PpdevBackend backend("/nonexistent/parport9");
    EXPECT_EQ(backend.openPort(), 0);
    backend.writePort(0x378, 1);
    backend.closePort();
}

TEST(IoPort, WithoutPermissionOpenGivesZeroAndAccessesAreDropped) {
    IoPortBackend backend;
    if (backend.openPort() != 0) GTEST_SKIP() << "running with port permission";
    backend.writePort(0x378, 0x55);
    EXPECT_EQ(backend.readPort(0x378), 0xFF);
    backend.closePort();
}

TEST(Trace, LineFormat) {
    struct Case {
        char kind;
        std::uint16_t port;
        std::uint8_t value;
        const char* line;
    };
    const Case cases[]{{'W', 0x378, 0x85, "W 378 85\n"}, {'R', 0x378, 0x5B, "R 378 5B\n"},
                       {'W', 0x37A, 0x0C, "W 37A 0C\n"}, {'W', 0x80, 0x00, "W 080 00\n"},
                       {'R', 0xBEEF, 0xFF, "R BEEF FF\n"}};
    for (const Case& c : cases) {
        char buffer[16];
        const std::size_t n = formatTraceLine(c.kind, c.port, c.value, buffer);
        EXPECT_EQ(std::string(buffer, n), c.line);
    }
}

TEST(Trace, WritesOneLinePerAccessAndPassesValuesThrough) {
    SimOptions o = testSimOptions();
    auto inner = makePortBackend("sim", o, nullptr);
    const std::string path = ::testing::TempDir() + "varentis_bus_trace.txt";
    std::string error;
    auto traced = withBusTrace(inner, path, &error);
    ASSERT_TRUE(traced) << error;
    EXPECT_FALSE(inner);
    {
        TDevice dev(*traced);
        dev.SetPort(0x85, 0);
        EXPECT_EQ(dev.ReadPort(0xA2), 0x5B);
    }
    EXPECT_FALSE(traced->finish()) << "every line reached the file";
    traced.reset();

    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "W 378 85\nW 37A 04\nW 37A 0C\nW 378 00\nW 37A 08\nW 37A 0C\n"
                          "W 378 A2\nW 37A 04\nW 37A 0C\nW 37A 2E\nW 37A 2A\nR 378 5B\nW 37A 0C\n");
    std::remove(path.c_str());
}

// A trace that cannot be written (a full disk) says so when it finishes, not silently.
TEST(Trace, AFailedWriteIsReportedAtTheFinish) {
    auto inner = makePortBackend("sim", testSimOptions(), nullptr);
    std::string error;
    auto traced = withBusTrace(inner, "/dev/full", &error);
    ASSERT_TRUE(traced) << error;
    {
        TDevice dev(*traced);
        for (int i = 0; i < 20000; ++i) dev.SetPort(0x85, 0); // more than the buffer holds
    }
    const auto failure = traced->finish();
    ASSERT_TRUE(failure);
    EXPECT_EQ(*failure, std::strerror(ENOSPC));
    EXPECT_EQ(traced->finish(), failure) << "asked again, the same answer";
}

TEST(Trace, UnwritableFileKeepsTheBackend) {
    auto inner = makePortBackend("sim", testSimOptions(), nullptr);
    std::string error;
    EXPECT_FALSE(withBusTrace(inner, "/nonexistent/dir/trace.txt", &error));
    EXPECT_TRUE(inner);
    EXPECT_FALSE(error.empty());
}

TEST(Factory, BusNames) {
    std::string error;
    EXPECT_TRUE(dynamic_cast<SimulatedInstrument*>(makePortBackend("sim", {}, &error).get()));
    EXPECT_TRUE(dynamic_cast<SimulatedInstrument*>(makePortBackend("", {}, &error).get()));
    auto ppdev = makePortBackend("ppdev", {}, &error);
    ASSERT_TRUE(dynamic_cast<PpdevBackend*>(ppdev.get()));
    EXPECT_EQ(static_cast<PpdevBackend&>(*ppdev).device(), "/dev/parport0");
    auto other = makePortBackend("ppdev:/dev/parport1", {}, &error);
    ASSERT_TRUE(dynamic_cast<PpdevBackend*>(other.get()));
    EXPECT_EQ(static_cast<PpdevBackend&>(*other).device(), "/dev/parport1");
    EXPECT_TRUE(dynamic_cast<IoPortBackend*>(makePortBackend("ioport", {}, &error).get()));
    EXPECT_TRUE(error.empty());
    for (const char* bad : {"lpt1", "ppdev:", "SIM", "sim "}) {
        error.clear();
        EXPECT_FALSE(makePortBackend(bad, {}, &error)) << bad;
        EXPECT_NE(error.find(bad), std::string::npos) << bad;
    }
}

TEST(Factory, SimSpeed) {
    double f = 0;
    EXPECT_TRUE(parseSimSpeed("10", &f));
    EXPECT_EQ(f, 10.0);
    EXPECT_TRUE(parseSimSpeed("0.5", &f));
    EXPECT_EQ(f, 0.5);
    for (const char* bad : {"", "0", "-2", "fast", "1e999"}) EXPECT_FALSE(parseSimSpeed(bad, &f)) << bad;
}

TEST(Factory, SimFaults) {
    struct Case {
        const char* list;
        unsigned absent, faults;
    };
    const Case cases[]{
        {"no-pmt", SimPmtController | SimPmtAcquisition, 0},
        {"no-potentiostat", SimPotentiostat | SimPotentiostatAcquisition, 0},
        {"no-timer,no-valves, no-pump", SimTimer | SimValves | SimPump, 0},
        {"timer-not-counting", 0, SimTimerNotCounting},
        {"timer-not-clearing,conversion-not-finishing", 0,
         SimTimerNotClearing | SimConversionNotFinishing},
        {"pmt-over-range,,", 0, SimPmtOverRange},
        {"", 0, 0},
    };
    for (const Case& c : cases) {
        SimOptions o;
        o.seed = 5;
        std::string error;
        EXPECT_TRUE(parseSimFaults(c.list, &o, &error)) << c.list << ": " << error;
        EXPECT_EQ(o.absentModules, c.absent) << c.list;
        EXPECT_EQ(o.faults, c.faults) << c.list;
        EXPECT_EQ(o.seed, 5u) << "the rest stays";
    }

    // Unknown names change nothing and name the valid ones.
    SimOptions o;
    o.faults = SimPmtOverRange;
    std::string error;
    EXPECT_FALSE(parseSimFaults("no-timer,no-detector", &o, &error));
    EXPECT_EQ(o.absentModules, 0u);
    EXPECT_EQ(o.faults, SimPmtOverRange);
    EXPECT_NE(error.find("\"no-detector\""), std::string::npos) << error;
    EXPECT_NE(error.find("timer-not-clearing"), std::string::npos) << error;

    // Every name the help lists is one the parser takes.
    std::istringstream help(simFaultHelp());
    std::string line;
    int names = 0;
    while (std::getline(help, line)) {
        const std::string name = line.substr(0, line.find(':'));
        EXPECT_TRUE(parseSimFaults(name, &o, nullptr)) << name;
        ++names;
    }
    EXPECT_EQ(names, 9);
}

} // namespace
} // namespace varentis::test
