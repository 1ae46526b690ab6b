// Test fixture that starts and ends every test with fresh interpreter state.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "procedures.h"

namespace m4t4 {

class CleanState : public ::testing::Test {
 protected:
  void SetUp() override { reset(); }
  void TearDown() override {
    if (f != nullptr) std::fclose(f);
    reset();
  }
  // Starts afresh with `text` as the source the lexer reads.
  void source(const std::string& text) {
    if (f != nullptr) std::fclose(f);
    reset();
    text_ = text;
    f = fmemopen(text_.data(), text_.size(), "r");
  }

 private:
  std::string text_;
};

}  // namespace m4t4
