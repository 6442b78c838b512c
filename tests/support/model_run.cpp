#include <gtest/gtest.h>

#include "support/test_files.h"

namespace quenlor::testing_support {

std::string ModelRun::run(const ControlRecord& c) {
    writeControl(c);
    ::testing::internal::CaptureStderr();
    run();
    return ::testing::internal::GetCapturedStderr();
}

}  // namespace quenlor::testing_support
