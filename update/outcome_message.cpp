// What the user is told at each end of the update.
#include "update/update_flow.h"

namespace qvx::update {
namespace {

// The setup's exit codes (README, "Exit codes").
std::string setup_reason(int code) {
  switch (code) {
    case 1:
      return "安装被取消";
    case 2:
      return "安装程序出错";
    case 3:
      return "Quovix加速仍在运行";
    case 4:
      return "另一个安装或卸载程序正在运行";
    case 5:
      return "安装文件夹无法写入";
    case 6:
      return "有文件无法删除";
    case 7:
      return "安装文件夹不可用";
    case 8:
      return "需要管理员权限";
    case 9:
      return "有文件正在使用中";
    case 10:
      return "已安装了更新的版本";
    default:
      return "未知错误";
  }
}

}  // namespace

std::string outcome_message(const Result& result) {
  const std::string kept = "当前版本保持不变。";
  switch (result.outcome) {
    case Outcome::updated:
      return {};
    case Outcome::nothing_newer:
      return "当前已是最新版本，没有可用的更新。";
    case Outcome::no_server:
      return "无法连接更新服务器，请检查网络后重试。" + kept;
    case Outcome::bad_reply:
      return "更新服务器的回复无效，请稍后重试。" + kept;
    case Outcome::folder_failed:
      return "无法创建临时文件夹，更新未进行。" + kept;
    case Outcome::download_failed:
      return "下载更新失败，请检查网络后重试。" + kept;
    case Outcome::setup_missing:
      return "服务器上找不到更新文件，请稍后重试。" + kept;
    case Outcome::wrong_size:
      return "下载的更新文件不完整，已删除，请重试。" + kept;
    case Outcome::wrong_digest:
      return "下载的更新文件已损坏（校验值不符），已删除，请重试。" + kept;
    case Outcome::self_unsigned:
      return "更新程序本身没有有效的数字签名，无法确认更新文件的来源，拒绝安装。" + kept;
    case Outcome::untrusted:
      return "更新文件的数字签名无效，拒绝安装。" + kept;
    case Outcome::other_signer:
      return "更新文件不是由本软件的发布者签名的，拒绝安装。" + kept;
    case Outcome::cancelled:
      return "更新已取消。" + kept;
    case Outcome::client_running:
      return "Quovix加速仍在运行，请退出后重新运行更新。" + kept;
    case Outcome::setup_not_started:
      return "无法运行安装程序。" + kept;
    case Outcome::setup_failed:
      return "安装未完成（代码" + std::to_string(result.setup_code) + "：" +
             setup_reason(result.setup_code) + "）。";
    case Outcome::client_not_started:
      return "更新已完成，但无法启动Quovix加速，请手动启动。";
  }
  return {};
}

}  // namespace qvx::update
