#pragma once

namespace sr5n {

// The waits of the link. The defaults are the program's fixed values; only
// tests construct the link with shorter ones, to run in seconds.
struct LinkTimings {
    int answerTimeoutMs = 5000;       // one attempt of Read and Write
    int busyPauseMs = 500;            // after a busy answer
    int openClosePauseMs = 10;        // when the link opens and closes
    int portCloseDelayMs = 300;       // the port settles after closing
    int writeBufferWaitMs = 1000;     // for room in a full output buffer
    int diagnosticsTimeoutMs = 20000; // one attempt of the self-test request
    int requestPauseMs = 10;          // after each request of a configuration run
    int connectTimeoutMs = 5000;      // for a serial server to connect and set its port
};

} // namespace sr5n
