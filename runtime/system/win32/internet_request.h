// The one WinInet request under HttpRead, HttpDownload and HttpRequest, as the transfer engine
// drives it. The layers differ only in their options: the session (the program's shared one or one
// of the request's own), the verb, version, flags and header texts each caller gives, and
// whether WinInet is reached directly (the wide functions, texts converted from GBK) or through
// the program's declared A functions (texts passed as the GBK bytes they are).
#pragma once

#include <windows.h>
// windows.h first: the WinInet header builds on its types.
#include <wininet.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/commands/values.h"
#include "runtime/system/transfer_engine.h"

namespace lq::sys {

// How the request reaches WinInet. The data-available query and the timeouts are set directly
// either way: the declared functions do not include them.
enum class InternetCalls { kDirect, kDeclared };

// Where a request goes: the parts of its URL, GBK.
struct RequestTarget {
  std::string host;
  INTERNET_PORT port = 0;
  std::string user, password;  // empty: none
  std::string object;          // path and query
};

// Splits a URL by the platform's rules (InternetCrackUrl), without decoding or re-encoding; the
// object is cut at '#'. Nothing when it does not parse or names no host. `https` tells the scheme.
std::optional<RequestTarget> CrackUrl(std::string_view gbk_url, bool* https = nullptr);

struct RequestOptions {
  InternetCalls calls = InternetCalls::kDirect;
  // The program's one shared session (opened by the first request that uses it, with this
  // request's agent, direct access), or a session of the request's own (closed with it). Declared
  // calls always open their own.
  bool shared_session = true;
  std::string agent;
  // Of an own session: INTERNET_OPEN_TYPE_DIRECT, or INTERNET_OPEN_TYPE_PROXY with these texts.
  DWORD access = INTERNET_OPEN_TYPE_DIRECT;
  std::optional<std::string> proxy_name, bypass_list;  // nothing: null
  RequestTarget target;
  std::string verb = "GET";
  std::string version;
  std::optional<std::string> accept_type;  // the one accept type; nothing: none
  DWORD flags = 0;
  std::string headers;  // the extra header text sent
  // The body sent, and with declared calls which declared send carries it (the byte-set one, or
  // the text one with an empty text).
  ByteSet body;
  bool send_bytes = false;
  bool expects_body = true;  // false for HEAD
  // More than 0: after the body, the raw response headers are read into a buffer of this many
  // spaces (kept as spaces when they do not fit).
  std::uint32_t raw_headers_size = 0;
};

class InternetRequest final : public TransferChannel {
 public:
  explicit InternetRequest(RequestOptions options) : options_(std::move(options)) {}
  ~InternetRequest() override;
  InternetRequest(const InternetRequest&) = delete;
  InternetRequest& operator=(const InternetRequest&) = delete;

  bool Open(const TransferLimits& limits) override;
  ChannelFailure Send() override;
  ResponseHead Head() override;
  bool ExpectsBody() const override { return options_.expects_body; }
  Waiting Available() override;
  ReadResult Read(std::span<std::uint8_t> room) override;
  void Finish() override;

  // Once the transfer has finished: the raw response headers (when asked for), and the body sent.
  std::string& raw_headers() { return raw_headers_; }
  ByteSet& body() { return options_.body; }

 private:
  void Close(HINTERNET& handle);
  std::optional<std::string> Query(DWORD query, DWORD size);

  RequestOptions options_;
  HINTERNET session_ = nullptr;  // of an own session
  HINTERNET connection_ = nullptr;
  HINTERNET request_ = nullptr;
  std::string raw_headers_;
};

}  // namespace lq::sys
