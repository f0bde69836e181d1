#pragma once

class QProcess;

namespace quova::testing {

// Makes the program that `process` starts end when this test program ends,
// however it ends: a test that crashes, aborts or is killed at ctest's time
// limit would otherwise leave its server running for good. Call it before
// start(), from the thread that lives as long as the test program (the
// kernel ties the child to the thread that forked it).
void EndWithThisProgram(QProcess& process);

}  // namespace quova::testing
