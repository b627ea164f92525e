#include "runtime/system/http_read.h"

#include <windows.h>
// windows.h first: the WinInet header builds on its types.
#include <wininet.h>

#include <mutex>
#include <string>

#include "runtime/errors/win32/wide_text.h"
#include "runtime/system/http_read_rules.h"
#include "runtime/system/win32/unique_handles.h"

namespace lq {

namespace {

constexpr wchar_t kAgent[] = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr wchar_t kAcceptType[] = L"Accept: */* \r\n";
constexpr wchar_t kExtraHeaders[] = L"Accept: */*\r\n\r\n";

// The program's one internet session, opened by the first request. Two threads making the first
// request together open it once; a failed open is tried again by the next request.
HINTERNET SharedSession() {
  static std::mutex mutex;
  static sys::UniqueInternet session;
  std::lock_guard lock(mutex);
  if (!session) {
    session.Reset(InternetOpenW(kAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  }
  return session.get();
}

struct CrackedUrl {
  INTERNET_SCHEME scheme = INTERNET_SCHEME_UNKNOWN;
  std::wstring host, user, password, object;
  INTERNET_PORT port = 0;
};

std::wstring Part(const wchar_t* p, DWORD n) { return p ? std::wstring(p, n) : std::wstring(); }

// Splits the URL by the platform's rules, without decoding or re-encoding anything.
bool CrackUrl(const std::wstring& url, CrackedUrl& out) {
  URL_COMPONENTSW c{};
  c.dwStructSize = sizeof(c);
  // A length of 1 with no buffer asks for pointers into `url`.
  c.dwSchemeLength = c.dwHostNameLength = c.dwUserNameLength = c.dwPasswordLength = 1;
  c.dwUrlPathLength = c.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &c)) return false;
  out.scheme = c.nScheme;
  out.host = Part(c.lpszHostName, c.dwHostNameLength);
  out.user = Part(c.lpszUserName, c.dwUserNameLength);
  out.password = Part(c.lpszPassword, c.dwPasswordLength);
  out.object = Part(c.lpszUrlPath, c.dwUrlPathLength) + Part(c.lpszExtraInfo, c.dwExtraInfoLength);
  out.object = out.object.substr(0, out.object.find(L'#'));
  out.port = c.nPort;
  return !out.host.empty();
}

std::optional<std::int64_t> QueryContentLength(HINTERNET request) {
  wchar_t value[64];
  DWORD size = sizeof(value);
  if (!HttpQueryInfoW(request, HTTP_QUERY_CONTENT_LENGTH, value, &size, nullptr)) {
    return std::nullopt;
  }
  return ParseContentLength(WideToGbk(std::wstring_view(value, size / sizeof(wchar_t))));
}

int QueryStatus(HINTERNET request) {
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                      nullptr)) {
    return 0;
  }
  return static_cast<int>(status);
}

// Reads until a read brings nothing (the end) or fails (the part read is kept).
ByteSet ReadBody(HINTERNET request) {
  const auto length = QueryContentLength(request);
  ResponseBody body(HttpReadChunkSize(length), length);
  for (;;) {
    std::uint8_t* room = body.WritableData();
    const DWORD want = body.WritableSize();
    DWORD got = 0;
    if (want == 0 || !InternetReadFile(request, room, want, &got) || got == 0) break;
    body.Commit(got);
  }
  return body.Take();
}

HttpReadResult Fetch(const Text& url) {
  HttpReadResult result;
  const std::string_view cut = CutAtFragment(url.view());
  if (cut.empty()) return result;
  CrackedUrl parts;
  if (!CrackUrl(GbkToWide(cut), parts)) return result;

  DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
  if (parts.scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;

  HINTERNET session = SharedSession();
  if (!session) return result;
  sys::UniqueInternet connection(InternetConnectW(
      session, parts.host.c_str(), parts.port, parts.user.empty() ? nullptr : parts.user.c_str(),
      parts.password.empty() ? nullptr : parts.password.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
  if (!connection) return result;
  const wchar_t* acceptTypes[] = {kAcceptType, nullptr};
  sys::UniqueInternet request(HttpOpenRequestW(connection.get(), L"GET", parts.object.c_str(),
                                               L"HTTP/1.0", nullptr, acceptTypes, flags, 0));
  if (!request) return result;
  if (!HttpSendRequestW(request.get(), kExtraHeaders, static_cast<DWORD>(wcslen(kExtraHeaders)),
                        nullptr, 0)) {
    return result;
  }
  result.status = QueryStatus(request.get());
  result.body = ReadBody(request.get());
  return result;
}

}  // namespace

ByteSet HttpRead(const Text& url) { return Fetch(url).body; }

HttpReadResult HttpReadWithStatus(const Text& url, const TransferLimits& /*limits*/) {
  HttpReadResult result = Fetch(url);
  if (result.status != 0) result.end = TransferEnd::kComplete;
  return result;
}

TransferEnd HttpDownload(const Text& url, const TransferLimits& limits, BodySink& sink) {
  HttpReadResult result = HttpReadWithStatus(url, limits);
  if (result.status == 0) return TransferEnd::kNoResponse;
  if (!sink.Begin(result.status, result.body.size())) return TransferEnd::kStopped;
  if (!result.body.empty() && !sink.Take(result.body.bytes())) return TransferEnd::kStopped;
  return TransferEnd::kComplete;
}

}  // namespace lq
