#pragma once

namespace sr5n::test {

// Keeps the tests away from the user's own state: what the program remembers
// between runs (QSettings) and what it keeps in the user's data folder (the
// history of configurations) go to folders of this test process that are
// emptied before every test, and the simulators started by the tests list
// themselves in a runtime folder of this process, where only its own
// configurators look. The folders go at the end.
void IsolateFromTheUser();

} // namespace sr5n::test
