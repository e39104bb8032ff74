// The benchmark program's entry: the models' solver traces (iterations of the
// critical-point search and the like) are not shown while timing, so that the
// output holds the timings alone.
#include <benchmark/benchmark.h>

#include "platform/LogSink.h"

int main(int argc, char** argv)
{
    platform::setTraceShown(false);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
