#ifndef SERVERRUN_H
#define SERVERRUN_H

#include <QString>

struct ServerRunOptions {
    QString bench;            // "registration" (with memory and fan-out), "download", "status", "unread" or "offline"
    bool bare = false;        // the bare TLS loop instead of the console's server
    int devices = 1000;
    int clients = 4;          // client processes the devices are spread over
    int messages = 100;       // status messages per device
    int fileMiB = 32;         // size of the downloaded file
    int chunks = 1000;        // "unread": chunks each device asks for
    bool reading = false;     // "unread": the devices download instead, reading every answer
};

// The server process of one benchmark run: sets up the console's device
// server (or the bare loop), starts the client processes, measures, and
// prints one line "result key=value ...". Returns the exit code.
int runServer(const ServerRunOptions &options);

#endif // SERVERRUN_H
