// A recorder on loopback: serves "/cgi-bin/webapp.cgi" over a real HTTP server (libmicrohttpd)
// with accounts and result codes: live video (MODE 0) and audio (MODE 1) looped from one
// recording; recorded video (MODE 2) and audio (MODE 3), event search (MODE 4) and the recording
// calendar (MODE 7) from its disk, a folder of recordings (see disk.h); controls (MODE 5),
// including the playback controls; plus faults that tests switch on. Modes plug in through the
// mode table in server.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "tools/dvrsim/source.h"

namespace dvrsim {

// Faults a stream can be made to show. Record numbers count the media records of one stream
// from 0. They apply to the first `streams` video streams, live or recorded (0: every one).
struct Faults {
    int64_t closeAfterBytes = -1;  // end the connection abruptly after this many body bytes
    int64_t stallAfterBytes = -1;  // then send nothing for stallSeconds
    double stallSeconds = 0;
    int garbageBytes = 0;      // bytes of noise in front of every packet
    int64_t oversizedAt = -1;  // a packet longer than any media payload before record N
    int64_t badSyncAt = -1;    // record N with wrong sync bytes
    int64_t model2At = -1;     // record N with modelCode 2
    int64_t badEndAt = -1;     // record N without its end marker
    int64_t resultAt = -1;     // result packet (resultCode) instead of record N
    int resultCode = 0;
    int httpStatus = 200;  // status of the stream answer
    int streams = 1;
};

struct Options {
    std::string source;  // recording file or folder served live
    std::string disk;    // folder of recordings served as the recorder's disk (default: source)
    std::string name = "DVRSIM";  // the recorder's name in its calendar
    std::string bindAddress = "127.0.0.1";
    uint16_t port = 0;  // 0: any free port
    std::string adminPassword = "admin";
    std::string userPassword = "user";
    double speed = 1.0;  // pacing: 2 plays twice as fast; 0 sends as fast as possible
    int maxClients = 4;  // live clients at once
    int channels = 0;    // repeat the recording's channels up to this many (0: as recorded)
    size_t padTo = 0;    // pad video payloads up to this many bytes (load tests)
    std::vector<std::string> titles;  // channel names (up to 13 bytes each)
    std::string controlLog;           // one line per control received
    std::string recordLog;            // "MODE SHA-256" per media record sent whole
    bool loop = true;                 // start the recording again at its end
    Faults faults;
};

struct Request {
    int mode = -1;
    std::map<std::string, std::string> args;  // query arguments (GET) or body fields (POST)
    std::string body;                         // POST body as received
    bool post = false;
};

class Server {
  public:
    Server();
    ~Server();
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    bool Start(const Options& options, std::string* error);
    void Stop();
    uint16_t port() const;

    // Controls received so far (bodies of MODE 5 posts).
    std::vector<std::string> controls() const;
    int liveClients() const;
    int streamsServed() const;

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace dvrsim
