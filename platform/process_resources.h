// What the running process holds of the system's objects, for the trace a long run
// leaves: a count that keeps growing is a leak.
#pragma once

struct ProcessResources {
    unsigned long handles = 0;     // kernel handles (Windows) or open file descriptors
    unsigned long gdiObjects = 0;  // GDI objects; none outside Windows
};

ProcessResources CountProcessResources();
