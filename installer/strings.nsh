; The setup's own messages; the pages' texts come from NSIS's Simplified Chinese language file.

LangString qvx_client_running ${LANG_SIMPCHINESE} "Quovix加速正在运行。$\r$\n$\r$\n请先在托盘图标的右键菜单中选择“退出”，然后重新运行本程序。"
LangString qvx_setup_running ${LANG_SIMPCHINESE} "Quovix加速的安装或卸载程序已经在运行，请等它结束后再试。"
LangString qvx_not_writable ${LANG_SIMPCHINESE} "无法写入安装目录：$\r$\n$INSTDIR$\r$\n$\r$\n请选择其他目录，或以管理员身份运行安装程序。"
LangString qvx_files_in_use ${LANG_SIMPCHINESE} "有文件无法删除（可能正在使用）：$\r$\n$INSTDIR$\r$\n$\r$\n请关闭相关程序后重新运行卸载程序。"
LangString qvx_remove_user_data ${LANG_SIMPCHINESE} "是否同时删除您的账号设置和运行日志（user.ini、softsetup.ini、qvxl.log）？$\r$\n$\r$\n选择“否”将保留这些文件，重新安装后可以继续使用。"
LangString qvx_section_program ${LANG_SIMPCHINESE} "Quovix加速（必需）"
LangString qvx_section_desktop ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString qvx_uninstall_link ${LANG_SIMPCHINESE} "卸载 Quovix加速"
