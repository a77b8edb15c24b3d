#pragma once
// Importing programme guides (XMLTV files or http(s) addresses, plain or gzip) into the
// catalogue's database for the channels they match.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/error.h"
#include "guide/xmltv_reader.h"

namespace vistrel {

// How far the stored guide reaches around the import's time.
inline constexpr int64_t kGuideDaysBack = 1;
inline constexpr int64_t kGuideDaysAhead = 14;

// Whether `source` is an http:// or https:// address (else it is a file).
bool IsGuideAddress(std::string_view source);

// A source as it may be shown in a message or log: a file as it is; of an address only its
// scheme and host, since its user part, path and query may hold private credentials.
std::string GuideSourceName(std::string_view source);

// Feeds the body of an http(s) address to `reader` as it arrives (redirects followed, server
// certificates checked) and finishes it. Fails with the reason (not the whole address) for a
// connection that fails, an answer other than 200, or what the reader reports.
Outcome FetchGuide(const std::string& address, XmltvReader& reader);

// Reads every source in turn and stores the programmes of the catalogue channels they match
// (XMLTV channel by guide id, else by name; see guide/guide_match.h) that end after one day
// before `now` and start before 14 days after it, as the new guide in place of the old one;
// `language` picks among texts in several languages. Returns a summary for the operator.
// Throws vistrel::Error naming the source when one cannot be read or is not well-formed XMLTV;
// the old guide then stays as it was.
std::string ImportGuide(const std::filesystem::path& db_file,
                        const std::vector<std::string>& sources, int64_t now,
                        const std::string& language = {});

}  // namespace vistrel
