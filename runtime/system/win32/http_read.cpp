#include "runtime/system/http_read.h"

#include <memory>

#include "runtime/system/response_body.h"
#include "runtime/system/response_head.h"
#include "runtime/system/win32/internet_request.h"

namespace lq {

namespace {

// The request of HttpRead: a GET in HTTP/1.0 over the shared session, reloaded from the network
// and not written to the cache.
constexpr char kAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr char kAcceptType[] = "Accept: */* \r\n";

TransferReport Fetch(const Text& url, const TransferLimits& limits, BodySink& sink,
                     const RequestConditions& conditions) {
  const std::string_view cut = CutAtFragment(url.view());
  if (cut.empty()) return {};
  bool https = false;
  auto target = sys::CrackUrl(cut, &https);
  if (!target) return {};
  sys::RequestOptions options;
  options.agent = kAgent;
  options.target = std::move(*target);
  options.verb = "GET";
  options.version = "HTTP/1.0";
  options.accept_type = kAcceptType;
  options.flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
  if (https) options.flags |= INTERNET_FLAG_SECURE;
  options.headers = "Accept: */*\r\n" + ConditionHeaderLines(conditions) + "\r\n";
  return RunTransfer(std::make_shared<sys::InternetRequest>(std::move(options)), limits, sink);
}

}  // namespace

ByteSet HttpRead(const Text& url) { return HttpReadWithStatus(url).body; }

HttpReadResult HttpReadWithStatus(const Text& url, const TransferLimits& limits,
                                  const RequestConditions& conditions) {
  BodyCollector collector;
  const TransferReport report = Fetch(url, limits, collector, conditions);
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
