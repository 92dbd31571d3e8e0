#pragma once

// Our own "--name=value" flags (--records=N and the like) are taken out of the command line;
// the rest goes to Google Benchmark, which refuses flags it does not know.

#include <QByteArray>
#include <benchmark/benchmark.h>
#include <functional>
#include <utility>
#include <vector>

// Each flag's handler gets the text after its "="; false stops with exit status 2.
using BenchFlag = std::pair<const char *, std::function<bool(const QByteArray &value)>>;

// A flag that sets a number.
inline BenchFlag intFlag(const char *prefix, int *target)
{
    return {prefix, [target](const QByteArray &v) {
                *target = v.toInt();
                return true;
            }};
}

// Reads the flags and initialises Google Benchmark with the rest; false on a bad flag.
inline bool initializeBenchmarks(int argc, char **argv, const std::vector<BenchFlag> &own)
{
    std::vector<char *> rest;
    for (int i = 0; i < argc; ++i) {
        const QByteArray a(argv[i]);
        bool taken = false;
        for (const auto &[prefix, handle] : own) {
            if (i > 0 && a.startsWith(prefix)) {
                if (!handle(a.mid(int(qstrlen(prefix)))))
                    return false;
                taken = true;
                break;
            }
        }
        if (!taken)
            rest.push_back(argv[i]);
    }
    int n = int(rest.size());
    benchmark::Initialize(&n, rest.data());
    return true;
}
