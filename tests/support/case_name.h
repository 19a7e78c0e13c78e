#pragma once

#include <cctype>
#include <ostream>
#include <string>
#include <type_traits>
#include <utility>

#include <gtest/gtest.h>

namespace chronivo::test {

// Table cases carry a `fact` (a short sentence). These two make ctest show that sentence:
// CaseName as the parameterised test's name (letters and digits, the rest as underscores) and
// PrintTo for the parameter's value. Bring PrintTo in with `using chronivo::test::PrintTo;` in
// the namespace of the case type.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& info) {
    std::string name;
    for (const char* c = info.param.fact; *c != '\0'; ++c) {
        name += std::isalnum(static_cast<unsigned char>(*c)) != 0 ? *c : '_';
    }
    return name;
}

template <typename Case>
concept HasFact = std::is_convertible_v<decltype(std::declval<const Case&>().fact), const char*>;

template <HasFact Case>
void PrintTo(const Case& c, std::ostream* os) {
    *os << '"' << c.fact << '"';
}

} // namespace chronivo::test
