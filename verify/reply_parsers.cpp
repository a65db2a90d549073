#include "verify/reply_parsers.h"

#include <climits>
#include <cmath>
#include <cstdlib>

#include "verify/client_record.h"

namespace qvx {
namespace {

bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Formatted extraction as a C++ stream does it in the "C" locale. Once a read fails the
// reader stays failed, and no read, the failing one included, changes its target.
class TokenReader {
 public:
  explicit TokenReader(const std::string& text) : text_(text) {}
  bool failed() const { return failed_; }

  bool read(std::string& out) {
    if (!begin()) return false;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !is_space(text_[pos_])) ++pos_;
    out.assign(text_, start, pos_ - start);
    return true;
  }

  // Optional sign, then decimal digits up to the first byte that cannot continue the number;
  // that byte begins the next token.
  bool read(int& out) {
    if (!begin()) return false;
    bool negative = false;
    if (text_[pos_] == '+' || text_[pos_] == '-') negative = text_[pos_++] == '-';
    long long value = 0;
    bool digits = false;
    bool overflow = false;
    for (; pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9'; ++pos_) {
      digits = true;
      value = value * 10 + (text_[pos_] - '0');
      if (value > 1LL + INT_MAX) {
        overflow = true;
        value = 1LL + INT_MAX;  // keeps accumulating bounded
      }
    }
    if (!digits || overflow || (!negative && value > INT_MAX)) return fail();
    out = static_cast<int>(negative ? -value : value);
    return true;
  }

  void skip_token() {
    std::string ignored;
    read(ignored);
  }

 private:
  bool begin() {
    if (failed_) return false;
    while (pos_ < text_.size() && is_space(text_[pos_])) ++pos_;
    return pos_ < text_.size() || fail();
  }
  bool fail() {
    failed_ = true;
    return false;
  }

  const std::string& text_;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

int clamp_count(int count, int slots) {
  return count < 0 ? 0 : (count > slots ? slots : count);
}

// count pairs of plain tokens into the ticker arrays; entries past the arrays are read and
// dropped so that the fields after them stay in place.
void read_ticker(TokenReader& in, int count, ClientRecord& record) {
  for (int i = 0; i < count && !in.failed(); ++i) {
    if (i < kTickerSlots) {
      in.read(record.ticker_texts[i]);
      in.read(record.ticker_urls[i]);
    } else {
      in.skip_token();
      in.skip_token();
    }
  }
}

// Settings tokens are "key=value"; the key is ignored and a token without "=" is all value.
bool read_value(TokenReader& in, std::string& out) {
  std::string token;
  if (!in.read(token)) return false;
  const auto eq = token.find('=');
  out = eq == std::string::npos ? token : token.substr(eq + 1);
  return true;
}

// strtod, truncated toward zero; text that is no number gives 0, huge values the int limits.
int settings_integer(const std::string& value) {
  const double d = std::strtod(value.c_str(), nullptr);
  if (std::isnan(d)) return 0;
  if (d >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (d <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(d);
}

bool read_value(TokenReader& in, int& out) {
  std::string value;
  if (!read_value(in, value)) return false;
  out = settings_integer(value);
  return true;
}

}  // namespace

std::string first_line(const std::string& text) {
  const std::size_t end = text.find('\n');
  const std::size_t length = end == std::string::npos ? text.size() : end;
  return text.substr(0, length < kVerificationLineMax ? length : kVerificationLineMax);
}

VerificationFields::VerificationFields(const std::string& line)
    : accepted_(line.compare(0, 4, "200@") == 0), rest_(accepted_ ? line.substr(4) : "") {}

std::string VerificationFields::next() {
  const auto at = rest_.find('@');
  if (at == std::string::npos) return rest_;
  std::string field = rest_.substr(0, at);
  rest_.erase(0, at + 1);
  return field;
}

void VerificationFields::read_versions(ClientRecord& record) {
  record.min_version = next();
  record.latest_version = next();
}

void VerificationFields::read_account(ClientRecord& record) {
  record.user_level = next();
  record.server_time = next();
  record.expiry_time = next();
  record.days_left = next();
  record.points = next();
  record.external_ip = next();
  record.list_url = next();
}

void parse_node_list(const std::string& text, ClientRecord& record) {
  TokenReader in(text);
  int ignored = 0;
  in.read(ignored);
  in.read(ignored);
  int count = 0;
  if (in.read(count)) record.node_count = clamp_count(count, kNodeSlots - 1);
  for (int n = 1; n <= count && !in.failed(); ++n) {
    if (n >= kNodeSlots) {
      in.skip_token();
      continue;
    }
    std::string token;
    if (!in.read(token)) break;
    const auto at = token.find('@');
    if (at == std::string::npos) {
      record.node_addresses[n] = token;
      record.node_names[n] = token;
    } else {
      record.node_addresses[n] = token.substr(0, at);
      record.node_names[n] = token.substr(at + 1);
    }
  }
  in.read(record.notice_enabled);
  in.read(record.notice_text);
  in.read(record.notice_url);
  in.read(record.notice_delay);
  int tickers = 0;
  if (in.read(tickers)) record.ticker_count = clamp_count(tickers, kTickerSlots);
  read_ticker(in, tickers, record);
  in.read(record.tips_enabled);
  in.read(record.tips_url);
  in.read(record.tips_delay);
  for (std::string& page : record.page_urls) in.read(page);
  in.read(ignored);
}

void parse_service_settings(const std::string& text, ClientRecord& record) {
  TokenReader in(text);
  read_value(in, record.app_title);
  read_value(in, record.notice_enabled);
  read_value(in, record.notice_text);
  read_value(in, record.notice_url);
  read_value(in, record.notice_delay);
  int tickers = 0;
  if (read_value(in, tickers)) record.ticker_count = clamp_count(tickers, kTickerSlots);
  read_ticker(in, tickers, record);
  read_value(in, record.tips_enabled);
  read_value(in, record.tips_url);
  read_value(in, record.tips_delay);
  // The settings reply has no navigation page.
  for (PageSlot slot : {kHomePage, kRechargePage, kServicePage, kHelpPage, kMessageBoardPage}) {
    read_value(in, record.page_urls[slot]);
  }
}

}  // namespace qvx
