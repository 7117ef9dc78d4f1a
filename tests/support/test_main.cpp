// main() of every test executable: GoogleTest with COM initialised on the main thread.
#include <objbase.h>

#include <gmock/gmock.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleMock(&argc, argv);
  ::CoInitialize(nullptr);
  const int rc = RUN_ALL_TESTS();
  ::CoUninitialize();
  return rc;
}
