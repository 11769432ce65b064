// The JSON rows: each function prepares, outside the timed loop, one way of reading a workload's
// JSON text (workloads.h) and returns it. A read delivers the records to the sink through the
// same callbacks as the library's reader and returns false when the text is rejected.
//
// Every row turns UTF-8 texts into 16-bit units with AssignUtf16 (convert.h), except the RapidJSON
// row that lets the reader transcode to UTF-16 itself.
#ifndef CMDS_BENCH_JSON_READERS_H
#define CMDS_BENCH_JSON_READERS_H

#include <functional>
#include <string>

#include "cmds/cmds.h"
#include "sinks.h"

namespace bench {

using FindRead = std::function<bool(cmds::IFindOut&)>;
using ShareRead = std::function<bool(cmds::IShareIn&)>;
using SmallRead = std::function<bool(SmallSink&)>;

// RapidJSON's SAX Reader (with RAPIDJSON_SSE2 on x86-64), in one of two ways:
// - kUtf8InPlace: a copy of the text parsed in place (kParseInsituFlag; making the copy is part
//   of every read), the handler converting each text with AssignUtf16. Of the ways to read UTF-8
//   this one measured fastest: a StringStream copies every string into the reader's stack first.
// - kUtf16: GenericReader<UTF8<>, UTF16<>> transcoding every text, the handler copying it.
enum class RapidJsonVariant { kUtf8InPlace, kUtf16 };
FindRead RapidJsonFind(const std::string& json, RapidJsonVariant variant);
ShareRead RapidJsonShare(const std::string& json, RapidJsonVariant variant);
SmallRead RapidJsonSmall(const std::string& json, RapidJsonVariant variant);

// simdjson's On-Demand front end over a padded copy of the text made once.
FindRead SimdjsonFind(const std::string& json);
ShareRead SimdjsonShare(const std::string& json);
SmallRead SimdjsonSmall(const std::string& json);

// nlohmann::json: a document parsed whole, then the records taken from it.
FindRead NlohmannFind(const std::string& json);
ShareRead NlohmannShare(const std::string& json);
SmallRead NlohmannSmall(const std::string& json);

}  // namespace bench

#endif
