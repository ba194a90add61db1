#pragma once

namespace sr5n::test {

// Keeps the tests away from the user's own state: what the program remembers
// between runs (QSettings) goes to a folder of this test process that is
// emptied before every test, and the simulators started by the tests list
// themselves in a runtime folder of this process, where only its own
// configurators look. Both folders go at the end.
void IsolateFromTheUser();

} // namespace sr5n::test
