// The AVX2 build of the engine tests skips itself on a CPU without AVX2
// instead of dying on the first vector instruction.
#include <gtest/gtest.h>

namespace {

class RequireAvx2 : public testing::Environment {
public:
    void SetUp() override {
        if (!__builtin_cpu_supports("avx2")) GTEST_SKIP() << "this CPU has no AVX2";
    }
};

const auto* const kRequireAvx2 = testing::AddGlobalTestEnvironment(new RequireAvx2);

}  // namespace
