#include "replies.h"

#include <array>
#include <sstream>

namespace qvx::demo {
namespace {

constexpr std::array<const char*, 8> kNodeNames = {"北京电信",   "上海电信", "广州电信",
                                                   "北京网通",   "天津网通", "沈阳网通",
                                                   "武汉教育网", "成都电信"};

struct Ticker {
  const char* text;
  const char* path;
};
constexpr std::array<Ticker, 3> kTickers = {{
    {"欢迎使用Quovix加速演示服务", "/news/1.asp"},
    {"新增上海电信高速节点", "/news/2.asp"},
    {"充值八折优惠进行中", "/news/3.asp"},
}};

// Six pages in the client's slot order: home, recharge, customer service, navigation, help,
// message board.
constexpr std::array<const char*, 6> kPagePaths = {
    "/user/home.asp", "/user/pay.asp", "/kefu.asp", "/nav.asp", "/user/help.asp", "/liuyan.asp"};

std::string node_token(const std::string& net, int number) {
  const std::string address = net + "." + std::to_string(number);
  const std::string name = number <= static_cast<int>(kNodeNames.size())
                               ? kNodeNames[number - 1]
                               : "扩展节点" + std::to_string(number);
  return address + "@" + name;
}

std::string html_escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '&':
        out += "&amp;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

}  // namespace

std::string server_time(const std::tm& t) {
  std::ostringstream out;
  out << t.tm_year + 1900 << '-' << t.tm_mon + 1 << '-' << t.tm_mday << ' ' << t.tm_hour << ':'
      << t.tm_min << ':' << t.tm_sec;
  return out.str();
}

std::string verification_reply(const std::string& user_field, const AccountBook& accounts,
                               const Scenario& scenario, const Site& site, const std::tm& now) {
  const auto colon = user_field.find(':');
  if (colon == std::string::npos) return "203@请求格式错误@\r\n";
  const std::string name = user_field.substr(0, colon);
  const auto account = accounts.find(name);
  if (!account) return "202@账号不存在@\r\n";
  if (scenario.refuse_all || account->password != user_field.substr(colon + 1)) {
    return "201@密码错误@\r\n";
  }
  const std::string fields[] = {
      scenario.min_version,
      scenario.latest_version,
      account->level,
      server_time(now),
      account->expiry_time,
      account->days_left,
      account->points,
      account->external_ip,
      site.url("/ClientComm/list.asp?u=" + name + "&t="),
  };
  std::string line = "200@";
  for (const std::string& f : fields) line += f + "@";
  return line + "\r\n";
}

std::string node_list_reply(const Scenario& s, const Site& site) {
  std::ostringstream out;
  out << "1 0\r\n" << s.node_count << "\r\n";
  for (int n = 1; n <= s.node_count; ++n) out << node_token(s.node_net, n) << "\r\n";
  out << s.notice_enabled << "\r\n"
      << "欢迎使用Quovix加速！本周新增多条电信和网通高速线路，详情请看公告。"
      << "\r\n"
      << site.url("/notice.asp") << "\r\n"
      << s.notice_delay << "\r\n"
      << kTickers.size() << "\r\n";
  for (const Ticker& t : kTickers) out << t.text << ' ' << site.url(t.path) << "\r\n";
  out << s.tips_enabled << "\r\n" << site.url("/tips.asp") << "\r\n" << s.tips_delay << "\r\n";
  for (const char* path : kPagePaths) out << site.url(path) << ' ';
  out << "\r\n0\r\n";
  return out.str();
}

std::string settings_reply(const Scenario& s, const Site& site) {
  // Values differ from the node list's so a client that applies them visibly does.
  std::ostringstream out;
  out << "title=Quovix加速演示版\r\n"
      << "notice=" << s.notice_enabled << "\r\n"
      << "notice_text=软件设置已更新：演示服务运行正常。\r\n"
      << "notice_url=" << site.url("/notice.asp?from=settings") << "\r\n"
      << "notice_delay=" << s.notice_delay << "\r\n"
      << "ticker=2\r\n"
      << "设置：节点维护通知 " << site.url("/news/4.asp") << "\r\n"
      << "设置：客服热线已开通 " << site.url("/news/5.asp") << "\r\n"
      << "tips=" << s.tips_enabled << "\r\n"
      << "tips_url=" << site.url("/tips.asp?from=settings") << "\r\n"
      << "tips_delay=" << s.tips_delay << "\r\n"
      << "home=" << site.url("/user/home2.asp") << "\r\n"
      << "recharge=" << site.url("/user/pay2.asp") << "\r\n"
      << "service=" << site.url("/kefu2.asp") << "\r\n"
      << "help=" << site.url("/user/help2.asp") << "\r\n"
      << "board=" << site.url("/liuyan2.asp") << "\r\n";
  return out.str();
}

std::string login_notice_reply() {
  return "1\r\n";
}

std::string vendor_page(const std::string& path, const std::string& username, const Site& site) {
  struct Page {
    const char* path;
    const char* title;
  };
  static const Page pages[] = {
      {"/", "Quovix加速 官方网站"}, {"/dl/", "Quovix加速 登录页"}, {"/ad/", "Quovix加速 推荐"},
      {"/reg.asp", "申请账号"},     {"/find.asp", "忘记密码"},     {"/xinshou.asp", "新手帮助"},
      {"/notice.asp", "最新公告"},  {"/tips.asp", "精彩提示"},     {"/user/home.asp", "用户主页"},
      {"/user/pay.asp", "充值"},    {"/kefu.asp", "客服"},         {"/nav.asp", "导航"},
      {"/user/help.asp", "帮助"},   {"/liuyan.asp", "留言"},       {"/user/home2.asp", "用户主页"},
      {"/user/pay2.asp", "充值"},   {"/kefu2.asp", "客服"},        {"/user/help2.asp", "帮助"},
      {"/liuyan2.asp", "留言"},     {"/news/1.asp", "新闻"},       {"/news/2.asp", "新闻"},
      {"/news/3.asp", "新闻"},      {"/news/4.asp", "新闻"},       {"/news/5.asp", "新闻"},
  };
  for (const Page& p : pages) {
    if (path != p.path) continue;
    std::string body =
        "<html><head><meta http-equiv=\"Content-Type\" "
        "content=\"text/html; charset=gb2312\"><title>";
    body += p.title;
    body += "</title></head><body style=\"font-family:宋体;font-size:12px\"><h3>";
    body += p.title;
    body += "</h3><p>Quovix加速演示服务 ";
    body += html_escape(site.authority);
    body += "</p>";
    if (!username.empty()) body += "<p>用户：" + html_escape(username) + "</p>";
    return body + "</body></html>\r\n";
  }
  return {};
}

}  // namespace qvx::demo
