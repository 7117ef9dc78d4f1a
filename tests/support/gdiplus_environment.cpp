#include "support/gdiplus_environment.h"

#include <windows.h>
#include <gdiplus.h>

#include "images/image_manager.h"

namespace velmor::test {
namespace {

class GdiplusEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    Gdiplus::GdiplusStartupInput input;
    ASSERT_EQ(Gdiplus::GdiplusStartup(&m_token, &input, nullptr), Gdiplus::Ok);
  }
  void TearDown() override {
    EmptyImageCache();
    Gdiplus::GdiplusShutdown(m_token);
  }

 private:
  ULONG_PTR m_token = 0;
};

}  // namespace

::testing::Environment* AddGdiplusEnvironment() {
  return ::testing::AddGlobalTestEnvironment(new GdiplusEnvironment);
}

}  // namespace velmor::test
