#include "catalogue/stream_address.h"

#include <gtest/gtest.h>

#include <string>

namespace vistrel {
namespace {

TEST(StreamAddress, OnlyNetworkSchemesArePlayed) {
  struct Case {
    const char* address;
    bool plays;
  };
  for (const Case& c : {
           Case{"http://127.0.0.1/live.ts", true},
           Case{"HTTPS://example.org/a.m3u8", true},
           Case{"rtmp://h/app/key", true},
           Case{"RtMpS://h/app", true},
           Case{"rtmpt://h/a", true},
           Case{"rtmpe://h/a", true},
           Case{"rtmpte://h/a", true},
           Case{"rtmpts://h/a", true},
           Case{"rtsp://h:554/s", true},
           Case{"rtp://239.0.0.1:5004", true},
           Case{"udp://@239.0.0.1:1234", true},
           Case{"mms://h/s", true},
           Case{"mmsh://h/s", true},
           Case{"srt://h:9000", true},
           Case{"file:///etc/passwd", false},
           Case{"/home/user/video.mp4", false},
           Case{"video.mp4", false},
           Case{"", false},
           Case{"av://v4l2:/dev/video0", false},
           Case{"lavfi://sine", false},
           Case{"edl://%3%abc", false},
           Case{"memory://text", false},
           Case{"dvd://", false},
           Case{"ftp://h/a.ts", false},
           Case{"http:/h/a", false},
           Case{"http", false},
           Case{" http://h/a", false},
           Case{"xhttp://h/a", false},
           Case{"httpx://h/a", false},
           Case{"ffmpeg://http://h/a", false},
           Case{"lavf://http://h/a", false},
       }) {
    EXPECT_EQ(IsNetworkStreamAddress(c.address), c.plays) << c.address;
  }
}

TEST(StreamAddress, TheRefusalNamesTheAddressAndTheSchemes) {
  EXPECT_EQ(RefusedStreamAddressMessage("file:///tmp/a\n.mp4"),
            "Cannot play file:///tmp/a.mp4: only network streams (http, https, rtmp, rtmps, "
            "rtmpt, rtmpe, rtmpte, rtmpts, rtsp, rtp, udp, mms, mmsh, srt) can be played.");
  // The header part may hold private values: never shown.
  EXPECT_EQ(RefusedStreamAddressMessage("file:///a|Cookie=secret").find("secret"),
            std::string::npos);
}

}  // namespace
}  // namespace vistrel
