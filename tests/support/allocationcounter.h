#pragma once

// Linked into a test, this replaces the global operator new with one that counts every
// call, so a test can require that a frame (or an observed frame) allocates nothing.
long long allocationCount();
