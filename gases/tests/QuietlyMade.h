#pragma once
// A model built with its standard output dropped and what it says on
// standard error kept for the test to read (a model that builds cleanly
// says nothing).
#include <gtest/gtest.h>

#include <string>
#include <utility>

template <class Make>
auto quietlyMade(Make&& make, std::string& said)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    auto m = std::forward<Make>(make)();
    said = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    return m;
}
