// The count of held resources that a long run traces: objects the process makes show
// in it, and go again when they are let go.
#include <gtest/gtest.h>

#include <vector>

#include "platform/process_resources.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

TEST(ProcessResources, MadeObjectsAreCountedAndFreedOnesNoLonger) {
    const ProcessResources before = CountProcessResources();
#ifdef _WIN32
    std::vector<HANDLE> events;
    std::vector<HBRUSH> brushes;
    for (int i = 0; i < 10; ++i) {
        events.push_back(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        brushes.push_back(CreateSolidBrush(RGB(i, 0, 0)));
    }
    const ProcessResources held = CountProcessResources();
    for (HANDLE event : events) CloseHandle(event);
    for (HBRUSH brush : brushes) DeleteObject(brush);
    EXPECT_EQ(held.gdiObjects, before.gdiObjects + 10);
    EXPECT_EQ(CountProcessResources().gdiObjects, before.gdiObjects);
#else
    std::vector<int> files;
    for (int i = 0; i < 10; ++i) files.push_back(open("/dev/null", O_RDONLY));
    const ProcessResources held = CountProcessResources();
    for (int file : files) close(file);
    EXPECT_EQ(held.gdiObjects, 0u);
#endif
    EXPECT_EQ(held.handles, before.handles + 10);
    EXPECT_EQ(CountProcessResources().handles, before.handles);
}
