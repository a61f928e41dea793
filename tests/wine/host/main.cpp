// The Wine tests' host thread: a single-threaded COM apartment, as a DMD
// host's thread is when it calls the plug-in.
#include <windows.h>
#include <objbase.h>


#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    int result = RUN_ALL_TESTS();
    CoUninitialize();
    return result;
}
