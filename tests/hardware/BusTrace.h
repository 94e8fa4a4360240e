#pragma once

#include "hardware/PortBackend.h"
#include "hardware/SimulatedInstrument.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace varentis::test {

// Module register operations decoded from the port accesses, as the bus sees them: the
// SelectIn pulse latches the address, the Init pulse writes the data byte, a read of the
// data port reads the latched register.
inline std::vector<std::string> registerOps(const std::vector<PortAccess>& accesses) {
    std::vector<std::string> ops;
    std::uint8_t data = 0, latched = 0, control = kControlIdle;
    char line[16];
    for (const PortAccess& a : accesses) {
        if (!a.write) {
            if (a.port == kDataPort) {
                std::snprintf(line, sizeof line, "R %02X", latched);
                ops.emplace_back(line);
            }
            continue;
        }
        if (a.port == kDataPort) {
            data = a.value;
        } else if (a.port == kControlPort) {
            if (a.value == kControlIdle && control == kControlAddressStrobe) latched = data;
            if (a.value == kControlIdle && control == kControlDataStrobe) {
                std::snprintf(line, sizeof line, "W %02X %02X", latched, data);
                ops.emplace_back(line);
            }
            control = a.value;
        }
    }
    return ops;
}

// 64-bit FNV-1a over every access: direction, port and value, in order.
inline std::uint64_t accessHash(const std::vector<PortAccess>& accesses) {
    std::uint64_t h = 14695981039346656037ull;
    auto mix = [&h](std::uint8_t b) {
        h ^= b;
        h *= 1099511628211ull;
    };
    for (const PortAccess& a : accesses) {
        mix(a.write ? 'W' : 'R');
        mix(static_cast<std::uint8_t>(a.port >> 8));
        mix(static_cast<std::uint8_t>(a.port));
        mix(a.value);
    }
    return h;
}

// The register operations one per line, with runs of a repeated block written once as
// "xN [op, op, ...]" so that the thousands of identical passes of a tick stay readable.
inline std::string compressOps(const std::vector<std::string>& ops) {
    std::ostringstream out;
    std::size_t i = 0;
    while (i < ops.size()) {
        std::size_t bestPeriod = 0, bestRepeats = 1;
        for (std::size_t p = 1; p <= 16 && i + 2 * p <= ops.size(); ++p) {
            std::size_t k = 1;
            while (i + (k + 1) * p <= ops.size()) {
                bool same = true;
                for (std::size_t j = 0; j < p && same; ++j)
                    same = ops[i + k * p + j] == ops[i + j];
                if (!same) break;
                ++k;
            }
            if (k >= 2 && p * k > bestPeriod * bestRepeats) {
                bestPeriod = p;
                bestRepeats = k;
            }
        }
        if (bestPeriod == 0) {
            out << ops[i] << '\n';
            ++i;
            continue;
        }
        out << 'x' << bestRepeats << " [";
        for (std::size_t j = 0; j < bestPeriod; ++j) out << (j ? ", " : "") << ops[i + j];
        out << "]\n";
        i += bestPeriod * bestRepeats;
    }
    return out.str();
}

// One phase of a recorded session: its name, the access count and hash, the operations.
inline std::string describePhase(const std::string& name, const std::vector<PortAccess>& accesses) {
    std::ostringstream out;
    char hash[32];
    std::snprintf(hash, sizeof hash, "%016llx", static_cast<unsigned long long>(accessHash(accesses)));
    out << "== " << name << "\naccesses " << accesses.size() << " hash " << hash << '\n'
        << compressOps(registerOps(accesses));
    return out.str();
}

// Compares `actual` with the fixture file at `path`; with VARENTIS_UPDATE_TRACES set in the
// environment the file is written instead (a deliberate change of the bus traffic).
inline ::testing::AssertionResult matchesTraceFile(const std::string& actual, const std::string& path) {
    if (std::getenv("VARENTIS_UPDATE_TRACES")) {
        std::ofstream(path, std::ios::binary) << actual;
        return ::testing::AssertionSuccess() << "written";
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return ::testing::AssertionFailure() << "no fixture " << path;
    std::ostringstream expected;
    expected << in.rdbuf();
    if (expected.str() == actual) return ::testing::AssertionSuccess();
    // Name the first line that differs; the whole text would be thousands of lines. The
    // register operations are compared before the counts and hashes, as they say more.
    for (bool withHashes : {false, true}) {
        std::istringstream a(actual), e(expected.str());
        std::string la, le;
        int lineA = 0, lineE = 0;
        for (;;) {
            bool ga, ge;
            do {
                ga = static_cast<bool>(std::getline(a, la));
                ++lineA;
            } while (ga && !withHashes && la.rfind("accesses ", 0) == 0);
            do {
                ge = static_cast<bool>(std::getline(e, le));
                ++lineE;
            } while (ge && !withHashes && le.rfind("accesses ", 0) == 0);
            if (!ga && !ge) break;
            if (!ga || !ge || la != le)
                return ::testing::AssertionFailure()
                       << path << ", line " << lineE << ": expected \"" << (ge ? le : "<end>")
                       << "\", got \"" << (ga ? la : "<end>") << "\"";
        }
    }
    return ::testing::AssertionFailure() << "differs from " << path;
}

} // namespace varentis::test
