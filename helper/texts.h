/*
 * Every text Helper shows: its boxes and the input box's template
 * (helper.rc). Read by the code, by helper.rc and by the tests, so that
 * each text is written once. Macros only: the resource compiler reads
 * this file too, and the texts the template uses are one literal each.
 */
#ifndef QUORVANE_HELPER_TEXTS_H
#define QUORVANE_HELPER_TEXTS_H

/* the input box's template; its caption is the target, set at run time */
#define HELPER_PROMPT "このターゲットに次のキーワードを割り当てます。"
#define HELPER_OK_BUTTON "OK"
#define HELPER_CANCEL_BUTTON "キャンセル"

/* what Explorer's Details page and deployment tools show */
#define HELPER_FILE_DESCRIPTION "Quorvane ヘルパー"

/* started without a target */
#define HELPER_ABOUT_CAPTION "Quorvane - ヘルパー アプリケーション情報"
#define HELPER_ABOUT_TEXT \
    "これは Quorvane のためのヘルパー アプリケーションです。" \
    "この機能を使うには、ファイルを Quorvane と同じフォルダに置き、" \
    "［オプション］-［シェル エクステンション］から設定します。"

/* the caption of the error boxes */
#define HELPER_ERROR_CAPTION "Quorvane - エラー"
#define HELPER_NOT_ANSI_TEXT \
    "名前に Quorvane で扱えない文字が含まれているため、キーワードを割り当てませんでした。\r\n" \
    "ファイルやフォルダの名前を変更してから、もう一度割り当ててください。"
#define HELPER_APPEND_FAILED_TEXT \
    "ファイルの書き込みに失敗しました。\r\n" \
    "Quorvane のセットアップ先フォルダに、書き込み可能なファイル " \
    "\"!Default.kws\" があることを確認してください。"
#define HELPER_BROADCAST_FAILED_TEXT \
    "ウィンドウメッセージの処理中に予期しないエラーが発生しました。\r\n" \
    "このエラーは致命的です。Veskaro に連絡してください。"

#endif
