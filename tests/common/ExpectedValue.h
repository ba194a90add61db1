#pragma once

#include "common/Expected.h"

#include <gtest/gtest.h>

#include <utility>

namespace sr5n {

// The value of a catalogue read; a failure fails the test (and gives an empty value).
template <typename T> T valueOf(Expected<T> result)
{
    EXPECT_TRUE(result.has_value()) << qPrintable(result.reason());
    return result ? std::move(*result) : T();
}

} // namespace sr5n
