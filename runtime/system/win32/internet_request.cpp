#include "runtime/system/win32/internet_request.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "runtime/binding/win32/declared_call.h"
#include "runtime/platform/code_pages.h"
#include "runtime/platform/unique_handle.h"
#include "runtime/system/response_head.h"

namespace lq::sys {
namespace {

// The program's one shared internet session, opened by the first request that uses it. Two
// threads making the first request together open it once; a failed open is tried again by the
// next request. It stays open until the program ends.
HINTERNET SharedSession(const std::string& agent) {
  static std::mutex mutex;
  static UniqueInternetHandle session;
  std::lock_guard lock(mutex);
  if (!session) {
    session.Reset(
        InternetOpenW(GbkToWide(agent).c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  }
  return session.get();
}

// A text as the argument of an A function, or its UTF-16 form for a W function; null for none.
const char* Arg(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }
const char* ArgOrNull(const std::string& text) { return text.empty() ? nullptr : text.c_str(); }

class Wide {
 public:
  explicit Wide(const std::optional<std::string>& text) {
    if (text) wide_ = GbkToWide(*text);
  }
  explicit Wide(const std::string& text, bool null_when_empty = false) {
    if (!(null_when_empty && text.empty())) wide_ = GbkToWide(text);
  }
  const wchar_t* get() const { return wide_ ? wide_->c_str() : nullptr; }

 private:
  std::optional<std::wstring> wide_;
};

// WinInet's codes for a request that found no host to talk to: a name that does not resolve, and
// a connection refused or not accepted within the connect timeout (Wine gives the latter for both,
// after the system's own connect timeout when the host never answers).
ChannelFailure FailureOf(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
    case ERROR_INTERNET_CANNOT_CONNECT:
      return ChannelFailure::kUnreachable;
    case ERROR_INTERNET_TIMEOUT:
    case WSAETIMEDOUT:
      return ChannelFailure::kTimedOut;
    default:
      return ChannelFailure::kOther;
  }
}

// The timeouts go on the request before it is sent: WinInet gives them to the connection's
// socket when it connects, and changing them later does not reach a socket already in use.
void SetTimeouts(HINTERNET request, const TransferLimits& limits) {
  DWORD connect = limits.connect_timeout_ms;
  DWORD receive = limits.receive_timeout_ms;
  if (connect != 0) {
    InternetSetOptionW(request, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  }
  if (receive != 0) {
    for (DWORD option : {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT}) {
      InternetSetOptionW(request, option, &receive, sizeof receive);
    }
  }
}

}  // namespace

std::optional<RequestTarget> CrackUrl(std::string_view gbk_url, bool* https) {
  const std::wstring url = GbkToWide(gbk_url);
  URL_COMPONENTSW c{};
  c.dwStructSize = sizeof(c);
  // A length of 1 with no buffer asks for pointers into `url`.
  c.dwSchemeLength = c.dwHostNameLength = c.dwUserNameLength = c.dwPasswordLength = 1;
  c.dwUrlPathLength = c.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) return std::nullopt;
  auto part = [](const wchar_t* p, DWORD n) {
    return p ? WideToGbk(std::wstring_view(p, n)) : std::string();
  };
  RequestTarget target;
  target.host = part(c.lpszHostName, c.dwHostNameLength);
  if (target.host.empty()) return std::nullopt;
  target.port = c.nPort;
  target.user = part(c.lpszUserName, c.dwUserNameLength);
  target.password = part(c.lpszPassword, c.dwPasswordLength);
  target.object =
      part(c.lpszUrlPath, c.dwUrlPathLength) + part(c.lpszExtraInfo, c.dwExtraInfoLength);
  target.object = target.object.substr(0, target.object.find('#'));
  if (https != nullptr) *https = c.nScheme == INTERNET_SCHEME_HTTPS;
  return target;
}

InternetRequest::~InternetRequest() {
  Close(request_);
  Close(connection_);
  Close(session_);
}

void InternetRequest::Close(HINTERNET& handle) {
  if (handle == nullptr) return;
  if (options_.calls == InternetCalls::kDeclared) {
    CallDeclared<decltype(&::InternetCloseHandle)>(DeclaredFunctionId::kInternetCloseHandle,
                                                   handle);
  } else {
    InternetCloseHandle(handle);
  }
  handle = nullptr;
}

bool InternetRequest::Open(const TransferLimits& limits) {
  const RequestOptions& o = options_;
  const RequestTarget& t = o.target;
  const bool declared = o.calls == InternetCalls::kDeclared;
  HINTERNET session = nullptr;
  if (o.shared_session && !declared) {
    session = SharedSession(o.agent);
  } else if (declared) {
    session = session_ = CallDeclared<decltype(&::InternetOpenA)>(
        DeclaredFunctionId::kInternetOpenA, o.agent.c_str(), o.access, Arg(o.proxy_name),
        Arg(o.bypass_list), 0);
  } else {
    session = session_ = InternetOpenW(Wide(o.agent).get(), o.access, Wide(o.proxy_name).get(),
                                       Wide(o.bypass_list).get(), 0);
  }
  if (session == nullptr) return false;
  if (declared) {
    connection_ = CallDeclared<decltype(&::InternetConnectA)>(
        DeclaredFunctionId::kInternetConnectA, session, t.host.c_str(), t.port, ArgOrNull(t.user),
        ArgOrNull(t.password), INTERNET_SERVICE_HTTP, 0, 0);
  } else {
    connection_ = InternetConnectW(session, Wide(t.host).get(), t.port, Wide(t.user, true).get(),
                                   Wide(t.password, true).get(), INTERNET_SERVICE_HTTP, 0, 0);
  }
  if (connection_ == nullptr) return false;
  if (declared) {
    const char* accept[] = {Arg(o.accept_type), nullptr};
    request_ = CallDeclared<decltype(&::HttpOpenRequestA)>(
        DeclaredFunctionId::kHttpOpenRequestA, connection_, o.verb.c_str(), t.object.c_str(),
        o.version.c_str(), nullptr, o.accept_type ? accept : nullptr, o.flags, 0);
  } else {
    const Wide accept_type(o.accept_type);
    const wchar_t* accept[] = {accept_type.get(), nullptr};
    request_ = HttpOpenRequestW(connection_, Wide(o.verb).get(), Wide(t.object).get(),
                                Wide(o.version).get(), nullptr, o.accept_type ? accept : nullptr,
                                o.flags, 0);
  }
  if (request_ == nullptr) return false;
  SetTimeouts(request_, limits);
  return true;
}

ChannelFailure InternetRequest::Send() {
  RequestOptions& o = options_;
  void* data = o.body.empty() ? nullptr : o.body.data();
  BOOL sent = FALSE;
  if (o.calls == InternetCalls::kDeclared) {
    const auto headers_length = static_cast<DWORD>(o.headers.size());
    if (o.send_bytes) {
      sent = CallDeclared<decltype(&::HttpSendRequestA)>(
          DeclaredFunctionId::kHttpSendRequestBytes, request_, o.headers.c_str(), headers_length,
          data, static_cast<DWORD>(o.body.size()));
    } else {
      static char empty_text[] = "";
      sent = CallDeclared<decltype(&::HttpSendRequestA)>(DeclaredFunctionId::kHttpSendRequestText,
                                                         request_, o.headers.c_str(),
                                                         headers_length, empty_text, 0);
    }
  } else {
    const std::wstring headers = GbkToWide(o.headers);
    sent = HttpSendRequestW(request_, headers.c_str(), static_cast<DWORD>(headers.size()), data,
                            static_cast<DWORD>(o.body.size()));
  }
  return sent ? ChannelFailure::kNone : FailureOf(GetLastError());
}

std::optional<std::string> InternetRequest::Query(DWORD query, DWORD size) {
  if (options_.calls == InternetCalls::kDeclared) {
    std::string value(size, '\0');
    DWORD length = size;
    if (!CallDeclared<decltype(&::HttpQueryInfoA)>(DeclaredFunctionId::kHttpQueryInfoA, request_,
                                                   query, value.data(), &length, nullptr)) {
      return std::nullopt;
    }
    value.resize(std::min(length, size));
    return value;
  }
  std::wstring value(size, L'\0');
  DWORD bytes = size * sizeof(wchar_t);
  if (!HttpQueryInfoW(request_, query, value.data(), &bytes, nullptr)) return std::nullopt;
  value.resize(std::min<DWORD>(bytes / sizeof(wchar_t), size));
  return WideToGbk(value);
}

ResponseHead InternetRequest::Head() {
  HeadValues values;
  DWORD status = 0;
  DWORD size = sizeof status;
  const DWORD query = HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER;
  const bool known =
      options_.calls == InternetCalls::kDeclared
          ? CallDeclared<decltype(&::HttpQueryInfoA)>(DeclaredFunctionId::kHttpQueryInfoA, request_,
                                                      query, &status, &size, nullptr) != FALSE
          : HttpQueryInfoW(request_, query, &status, &size, nullptr) != FALSE;
  values.status = known ? static_cast<int>(status) : 0;
  constexpr DWORD kValueSize = 512;
  values.content_length = Query(HTTP_QUERY_CONTENT_LENGTH, kValueSize);
  values.etag = Query(HTTP_QUERY_ETAG, kValueSize);
  values.last_modified = Query(HTTP_QUERY_LAST_MODIFIED, kValueSize);
  values.content_range = Query(HTTP_QUERY_CONTENT_RANGE, kValueSize);
  return MakeResponseHead(values);
}

TransferChannel::Waiting InternetRequest::Available() {
  DWORD available = 0;
  if (!InternetQueryDataAvailable(request_, &available, 0, 0)) {
    return {FailureOf(GetLastError()), 0};
  }
  return {ChannelFailure::kNone, available};
}

TransferChannel::ReadResult InternetRequest::Read(std::span<std::uint8_t> room) {
  DWORD got = 0;
  const auto size = static_cast<DWORD>(room.size());
  const bool read =
      options_.calls == InternetCalls::kDeclared
          ? CallDeclared<decltype(&::InternetReadFile)>(DeclaredFunctionId::kInternetReadFile,
                                                        request_, room.data(), size, &got) != FALSE
          : InternetReadFile(request_, room.data(), size, &got) != FALSE;
  // A failing read may still bring bytes (Wine's does): they are the body's.
  return {read ? ChannelFailure::kNone : FailureOf(GetLastError()), std::min(got, size)};
}

void InternetRequest::Finish() {
  const std::uint32_t size = options_.raw_headers_size;
  if (size == 0) return;
  // The buffer as the caller would see it: spaces, with the headers over its start when they fit.
  std::string buffer(size, ' ');
  DWORD length = size;
  if (options_.calls == InternetCalls::kDeclared) {
    CallDeclared<decltype(&::HttpQueryInfoA)>(DeclaredFunctionId::kHttpQueryInfoA, request_,
                                              HTTP_QUERY_RAW_HEADERS_CRLF, buffer.data(), &length,
                                              nullptr);
  } else if (const auto headers = Query(HTTP_QUERY_RAW_HEADERS_CRLF, size)) {
    buffer.replace(0, std::min<std::size_t>(headers->size(), size), *headers, 0, size);
  }
  raw_headers_ = std::move(buffer);
}

}  // namespace lq::sys
