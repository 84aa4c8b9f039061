/*
 * Every text Setup shows: the caption of its boxes, the boxes, the
 * wizard's texts in the template (setup.rc) and those it sets for a mode,
 * and the list of switches. Read by the code, by setup.rc and by the
 * tests, so that each text is written once. Macros only: the resource
 * compiler reads this file too, and the texts the template uses are one
 * literal each, as it joins no strings.
 */
#ifndef QUORVANE_SETUP_TEXTS_H
#define QUORVANE_SETUP_TEXTS_H

#include "../common/names.h"

/* the caption of the wizard and of every box */
#define SETUP_CAPTION "Quorvane - セットアップ ウィザード"

/* the wizard's template */
#define SETUP_PRODUCT_TITLE "Quorvane"
#define SETUP_CONTINUE_BUTTON "続行"
#define SETUP_CANCEL_BUTTON "キャンセル"
#define SETUP_BROWSE_BUTTON "参照(&B)..."
#define SETUP_MAKER_NOTICE QV_COPYRIGHT
#define SETUP_INSTALL_WORD "Setup"
#define SETUP_INSTALL_MESSAGE "Quorvane のセットアップを開始します。"
#define SETUP_UNINSTALL_NOTE "いくつかのファイルと、セットアップ先フォルダ、ショートカット ファイルは削除されません。\r\nこれらは、お手数ですが終了後に手動で削除してください。"

/* what Explorer's Details page and deployment tools show */
#define SETUP_FILE_DESCRIPTION "Quorvane セットアップ"

/* the wizard's texts for the other modes */
#define SETUP_UPDATE_WORD "Update"
#define SETUP_UPDATE_MESSAGE "Quorvane のアップデートを開始します。"
#define SETUP_UNINSTALL_WORD "Uninstall"
#define SETUP_UNINSTALL_MESSAGE "Quorvane をシステムから削除します。"
/* the install folder the folder page proposes, and a silent install's */
#define SETUP_DEFAULT_FOLDER "C:\\Program Files\\Veskaro\\Quorvane\\"
/* the folder page's message, the folder browser's title, and the warning
   for a folder that cannot be used */
#define SETUP_FOLDER_PROMPT "セットアップ先フォルダを指定してください。"

/* boxes */
#define SETUP_RUNNING_TEXT \
    "システムは Quorvane を実行中です。\r\n" \
    "セットアップを行う前に、Quorvane を終了してください。"
#define SETUP_NEWER_TEXT \
    "より新しいバージョンの Quorvane がすでにセットアップされています。\r\n" \
    "セットアップを終了します。"
#define SETUP_REGISTRY_READ_TEXT \
    "必要な情報をレジストリから読み込めませんでした。セットアップを続行できません。"
#define SETUP_FATAL_TEXT \
    "セットアップ中にエラーが発生しました。セットアップを継続できません。"
#define SETUP_CREATE_QUESTION "指定したフォルダは存在しません。作成しますか?"
#define SETUP_CREATE_FAILED_TEXT "フォルダ名が不正です。フォルダの作成に失敗しました。"
#define SETUP_INSTALLED_TEXT "セットアップは正常に完了しました。"
#define SETUP_UPDATED_TEXT "アップデートは正常に完了しました。"
#define SETUP_UNINSTALLED_TEXT "アンインストールは正常に完了しました。"
#define SETUP_CANCEL_QUESTION \
    "セットアップはまだ完了していません。セットアップを中止しますか?"
#define SETUP_CANCELLED_TEXT "セットアップを中止しました。"
/* a file another program holds: its path goes between the two */
#define SETUP_IN_USE_BEFORE "ファイル "
#define SETUP_IN_USE_AFTER \
    " は、ほかのプログラムが使用しているため置き換えられません。\r\n" \
    "このファイルを使用しているプログラムを終了してから、［再試行］を押してください。"

/* a folder others may change: its path goes between the two */
#define SETUP_UNSAFE_FOLDER_BEFORE "フォルダ "
#define SETUP_UNSAFE_FOLDER_AFTER \
    " はほかのユーザーも変更できるため、ここにセットアップすると Quorvane のプログラムを" \
    "置き換えられるおそれがあります。\r\n" \
    "管理者だけが変更できるフォルダを指定してください。"

/* a recorded folder others may change: its path goes between the two.
   An update, repair or uninstall there changes nothing */
#define SETUP_RECORDED_UNSAFE_BEFORE "フォルダ "
#define SETUP_RECORDED_UNSAFE_AFTER \
    " はほかのユーザーも変更できるため、何も変更も削除もしていません。\r\n" \
    "管理者だけが変更できるようにアクセス許可を直してから、もう一度実行してください。"

/* a file of the media that is not the one the media were made with: its
   path goes between the two */
#define SETUP_MEDIA_CHANGED_BEFORE "セットアップ メディアのファイル "
#define SETUP_MEDIA_CHANGED_AFTER \
    " が壊れているか変更されているため、何も変更していません。\r\n" \
    "メディアを入手し直してから、もう一度実行してください。"

/* an install, update or repair into the folder Setup runs from */
#define SETUP_MEDIA_FOLDER_TEXT \
    "セットアップ メディアのフォルダには、セットアップできません。\r\n" \
    "ほかのフォルダを指定してください。"

/* Setup runs from a folder whose name code page 932 cannot hold */
#define SETUP_MEDIA_NAME_TEXT \
    "セットアップのフォルダ名に扱えない文字があるため、何もコピーしていません。\r\n" \
    "メディアを英数字だけの名前のフォルダにコピーしてから、もう一度実行してください。"
/* the uninstall could not delete a file */
#define SETUP_UNINSTALL_INCOMPLETE_TEXT \
    "削除できないファイルがあるため、何も削除していません。\r\n" \
    "ファイルを使っているプログラムを終了するか、アクセス許可を確かめてから、" \
    "もう一度実行してください。"

/* the box of /? */
#define SETUP_USAGE_TEXT \
    "Setup.exe [/S [/UNINSTALL]] [/LOG=ファイル] [/NORESTART] [/D=フォルダ]\r\n" \
    "\r\n" \
    "/S\tウィンドウを表示せずに、記録がなければインストール、古いバージョンならアップデート、" \
    "このバージョンなら修復します。\r\n" \
    "/UNINSTALL\t/S と一緒に指定すると、アンインストールします。\r\n" \
    "/D=フォルダ\t/S でのインストール先です。空白を含むときは引用符で囲むか、最後に置きます。\r\n" \
    "/LOG=ファイル\t実行の記録をファイルに追加します。\r\n" \
    "/NORESTART\t受け付けます。セットアップが再起動することはありません。\r\n" \
    "/?\tこの説明です (/S のときは /LOG= のファイルへ)。\r\n" \
    "\r\n" \
    "終了コード: 0 完了または何もする必要がない、1 Quorvane の実行中、-1 エラー\r\n" \
    "/S のとき: 0 同じ、3010 再起動で完了、1618 Quorvane の実行中 (後でもう一度)、" \
    "1603 エラー、1622 ログに書き込めない、1638 より新しいバージョンがある、" \
    "1639 コマンド ラインの誤り"

/* the log: what each line starts with (log.cpp writes the time before
   it); the tests look for the same words */
#define LOG_START "開始: Quorvane セットアップ "
#define LOG_RECORD "インストールの記録: "
#define LOG_NO_RECORD LOG_RECORD "なし"
/* this account's record, where neither the uninstall entry nor the
   running Setup confirms it, or its folder others may change */
#define LOG_USER_RECORD_IGNORED LOG_RECORD "HKEY_CURRENT_USER の記録は使いません: "
#define LOG_BOX "メッセージ: "
#define LOG_END "終了: 終了コード "
#define LOG_FAILED "失敗: "
#define LOG_COPIED "コピー: "
#define LOG_CREATED "作成: "
#define LOG_DELETED "削除: "
#define LOG_KEPT "そのまま: "
#define LOG_REPAIRED "修復: "
#define LOG_NOTHING_TO_REPAIR "修復の必要はありません"
#define LOG_NOTHING_TO_DO "何もする必要はありません"
#define LOG_REGISTRY_WRITTEN "レジストリ書き込み: "
#define LOG_REGISTRY_DELETED "レジストリ削除: "
#define LOG_PUT_BACK "元に戻す: "
#define LOG_FINISHED_INTERRUPTED "中断された変更の完了: "
#define LOG_UNDID_INTERRUPTED "中断された変更の取り消し: "
/* a journal this Setup cannot read, moved aside; one whose run cannot be
   undone */
#define LOG_JOURNAL_ASIDE "読めない中断の記録を移しました: "
#define LOG_JOURNAL_NOT_UNDONE "失敗: 中断された変更を元に戻せません: "
#define LOG_TEMPORARY_FILE "一時ファイル: "
/* a file replaced or deleted at the next restart */
#define LOG_AT_RESTART "再起動時: "
#define LOG_MEDIA_VERIFIED "メディアの検証: "
#define LOG_MEDIA_NOT_VERIFIED "メディアの検証: 一覧がありません"
#define LOG_HELP "使い方: "
/* a folder of /D= that code page 932 cannot hold */
#define LOG_FOLDER_NOT_ANSI "\" に扱えない文字があります"

#endif
