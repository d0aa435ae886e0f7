#pragma once
// Table tests with GoogleTest: each row of a table carries a name, which
// becomes the name of its test and is what a failure prints for the row.
//   INSTANTIATE_TEST_SUITE_P(Rows, SomeTest, ::testing::ValuesIn(kRows), testing_support::ByName());
// A test file brings PrintTo into its own namespace with
//   using testing_support::PrintTo;
// so that GoogleTest finds it for the rows it defines there.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace testing_support {

template <typename Row>
concept NamedRow = requires(const Row& row) {
    std::string(row.name);
};

struct ByName {
    template <NamedRow Row> std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return info.param.name;
    }
};

template <NamedRow Row> void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

} // namespace testing_support
