// The program's own texts as the console shows them (CP932 bytes, without
// the consumed first byte of their records), and the shape of its run-time
// error reports, for the end-to-end tests.
#pragma once

#include <string>

namespace e2e {

inline const std::string CRLF = "\r\n";

inline const std::string kBanner =
    "*** \x83I\x83\x8d\x83\x8f\x83\x93\x97\x9d\x98_\x82\xc9\x82\xe6\x82\xe9\x88\xb3\x89\x84\x89"
    "\xf0\x90\xcd ***";
inline const std::string kRadius =
    "  ... \x83\x8d\x81[\x83\x8b\x94\xbc\x8c" "a R(mm)\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4"
    "\x89\xba\x82\xb3\x82\xa2.";
inline const std::string kThickness =
    "  ... \x88\xb3\x89\x84\x91O\x94\xc2\x8c\xfah1 & \x88\xb3\x89\x84\x8c\xe3\x94\xc2\x8c\xfah2"
    "\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2.";
inline const std::string kYield =
    "  ... \x95\xbd\x8b\xcf\x8d~\x95\x9a\x89\x9e\x97\xcd\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4"
    "\x89\xba\x82\xb3\x82\xa2.";
inline const std::string kTension =
    "  ... \x8c\xe3\x95\xfb\x82\xa8\x82\xe6\x82\xd1\x91O\x95\xfb\x92\xa3\x97\xcd\x82\xf0kgfmm^-2"
    "\x82\xc5\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2.";
inline const std::string kFriction =
    "  ... \x96\x80\x8e" "C\x8cW\x90\x94\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x89\xba\x82\xb3"
    "\x82\xa2.";
inline const std::string kRepeat =
    "  ... \x8d\xc4\x93x\x8cv\x8eZ\x82\xb5\x82\xbd\x82\xa2\x8f\xea\x8d\x87\x82\xc9\x82\xcd" "1"
    "\x82\xf0\x93\xfc\x82\xea\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2";
inline const std::string kStop = "Stop - Program terminated.\r\n";

// "\r\nrun-time error F6501: READ(CON)\r\n- message\r\n" and the like.
inline std::string report(const std::string& code, const std::string& context,
                          const std::string& message) {
  return CRLF + "run-time error " + code + context + CRLF + "- " + message + CRLF;
}
inline std::string readError(const std::string& code, const std::string& message) {
  return report(code, ": READ(CON)", message);
}
inline std::string mathError(const std::string& code, const std::string& message) {
  return report(code, ": MATH", message);
}
inline const std::string kEof = readError("F6501", "end of file encountered");

inline bool startsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}
inline bool endsWith(const std::string& s, const std::string& suffix) {
  return s.size() >= suffix.size() &&
         s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace e2e
