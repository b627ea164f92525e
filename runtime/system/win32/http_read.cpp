#include "runtime/system/http_read.h"

#include <windows.h>
// windows.h first: the WinInet header builds on its types.
#include <wininet.h>

#include <mutex>
#include <string>

#include "runtime/errors/win32/wide_text.h"
#include "runtime/system/http_read_rules.h"
#include "runtime/system/response_head.h"
#include "runtime/system/win32/http_core.h"
#include "runtime/system/win32/unique_handles.h"

namespace lq {

namespace {

constexpr wchar_t kAgent[] = L"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr wchar_t kAcceptType[] = L"Accept: */* \r\n";

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

// HttpRead's request: a GET in HTTP/1.0 over the shared session, with WinInet's wide functions.
class ReadChannel : public sys::RequestChannel {
 public:
  ReadChannel(CrackedUrl parts, const RequestConditions& conditions)
      : parts_(std::move(parts)),
        headers_(L"Accept: */*\r\n" + GbkToWide(ConditionHeaderLines(conditions)) + L"\r\n") {}

  HINTERNET Open() override {
    HINTERNET session = SharedSession();
    if (session == nullptr) return nullptr;
    connection_.Reset(InternetConnectW(session, parts_.host.c_str(), parts_.port,
                                       parts_.user.empty() ? nullptr : parts_.user.c_str(),
                                       parts_.password.empty() ? nullptr : parts_.password.c_str(),
                                       INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection_) return nullptr;
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
    if (parts_.scheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
    const wchar_t* acceptTypes[] = {kAcceptType, nullptr};
    request_.Reset(HttpOpenRequestW(connection_.get(), L"GET", parts_.object.c_str(), L"HTTP/1.0",
                                    nullptr, acceptTypes, flags, 0));
    return request_.get();
  }

  bool Send() override {
    return HttpSendRequestW(request_.get(), headers_.c_str(), static_cast<DWORD>(headers_.size()),
                            nullptr, 0) != FALSE;
  }

  bool Read(void* buffer, DWORD size, DWORD* got) override {
    return InternetReadFile(request_.get(), buffer, size, got) != FALSE;
  }

  int Status() override {
    DWORD status = 0;
    DWORD size = sizeof(status);
    if (!HttpQueryInfoW(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                        &size, nullptr)) {
      return 0;
    }
    return static_cast<int>(status);
  }

  std::optional<std::string> Header(DWORD query) override {
    wchar_t value[512];
    DWORD size = sizeof(value);
    if (!HttpQueryInfoW(request_.get(), query, value, &size, nullptr)) return std::nullopt;
    return WideToGbk(std::wstring_view(value, size / sizeof(wchar_t)));
  }

 private:
  CrackedUrl parts_;
  // "Accept: */*", the conditions' lines, and the blank line.
  std::wstring headers_;
  // The request closes before its connection.
  sys::UniqueInternet connection_;
  sys::UniqueInternet request_;
};

sys::TransferReport Fetch(const Text& url, const TransferLimits& limits, BodySink& sink,
                          const RequestConditions& conditions) {
  const std::string_view cut = CutAtFragment(url.view());
  if (cut.empty()) return {};
  CrackedUrl parts;
  if (!CrackUrl(GbkToWide(cut), parts)) return {};
  return sys::RunTransfer(std::make_shared<ReadChannel>(std::move(parts), conditions), limits,
                          sink);
}

}  // namespace

ByteSet HttpRead(const Text& url) { return HttpReadWithStatus(url).body; }

HttpReadResult HttpReadWithStatus(const Text& url, const TransferLimits& limits,
                                  const RequestConditions& conditions) {
  BodyCollector collector;
  const sys::TransferReport report = Fetch(url, limits, collector, conditions);
  HttpReadResult result;
  // A transfer let go at its deadline no longer touches the collector: what it holds is ours.
  result.body = collector.Body();
  result.status = report.head.status;
  result.head = report.head;
  result.end = collector.out_of_memory() ? TransferEnd::kTooLarge : report.end;
  return result;
}

TransferEnd HttpDownload(const Text& url, const TransferLimits& limits, BodySink& sink,
                         const RequestConditions& conditions) {
  return Fetch(url, limits, sink, conditions).end;
}

}  // namespace lq
