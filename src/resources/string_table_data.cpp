// The string table in its two languages. "\n" is a line feed, "&" marks a mnemonic letter and
// "|" separates the parts of a file dialog filter.
#include "resources/string_table_data.h"

namespace quillbrook::resources {

const std::array<StringTableEntry, 72> kStringTable = {{
    {100, u"Quillbrook", u"Quillbrook"},
    {101, u"Script Files Folder", u"スクリプトフォルダ"},
    {102, u"Temporary Files Folder", u"一時ファイルフォルダ"},
    {103, u"Menu Item Name", u"項目名"},
    {104, u"Editor Name", u"エディタ名"},
    {105, u"Extension", u"拡張子"},
    {106, u"Notepad", u"メモ帳"},
    {107, u"&Edit with editor", u"エディタで編集する(&E)"},
    {108, u"notepad.exe", u"notepad.exe"},
    {109, u"Menu Item", u"メニュー項目"},
    {110, u"Menu item is not selected.", u"メニュー項目が選択されていません。"},
    {111, u"Delete", u"メニュー項目の削除"},
    {112, u"Are you sure you want to delete the menu item \"%s\"?",
     u"メニュー項目「%s」を削除します。\nよろしいですか？"},
    {113, u"txt", u"txt"},
    {114, u"Menu Item Name", u"メニュー項目名"},
    {115, u"%s already exists. Set the other name.",
     u"メニュー項目「%s」は既に存在します。\n別の項目名を指定して下さい。"},
    {116, u"Editor", u"エディタのプログラムファイル"},
    {117, u"Executable Files (*.exe)|*.exe|All Files|*.*||", u"実行ファイル (*.exe)|*.exe|すべてのファイル|*.*||"},
    {118, u"Carbon Copy File", u"カーボンコピーファイル"},
    {119, u"Carbon Copy File (*.%s)|*.%s|All Files|*.*||",
     u"カーボンコピーファイル (*.%s)|*.%s|すべてのファイル|*.*||"},
    {120, u"exe", u"exe"},
    {121, u"Copy of ", u"コピー ～ "},
    {122, u"%04d%02d%02d%02d%02d%02d%03d", u"%04d%02d%02d%02d%02d%02d%03d"},
    {123, u"Template File", u"テンプレートファイル"},
    {124, u"Template Files (*.%s)|*.%s|All Files|*.*||", u"テンプレートファイル (*.%s)|*.%s|すべてのファイル|*.*||"},
    {125, u"Template File", u"テンプレートファイル"},
    {126, u"Template file %s does not exist. Select the other file.",
     u"テンプレートファイル\n%s\nは存在しません。別のファイルを選択してください"},
    {127, u"%s (%s%s%s)", u"%s (%s%s%s)"},
    {128, u"HTML Title", u"HTMLタイトル"},
    {129, u"URL", u"URL"},
    {130, u"File Name", u"ファイル名"},
    {131, u"NAME Value Of The Form", u"FORMのNAME値"},
    {132, u"NAME Value Of The TEXTAREA", u"TEXTAREAのNAME値"},
    {133, u"Unique Session ID", u"ユニークなセッションID"},
    {134, u"Timestamp", u"タイムスタンプ"},
    {135, u"&Open", u"ファイルを開く(&O)"},
    {136, u"Open File", u"ファイルを開く"},
    {137, u"Text Files (%s)|%s|All Files|*.*||", u"テキスト形式のファイル (%s)|%s|すべてのファイル|*.*||"},
    {138, u"Open File", u"ファイルを開く"},
    {139, u"%s does not exist. Select the other file.",
     u"次のファイル\n%s\nが存在しません。別のファイルを選択してください"},
    {140, u"Quillbrook", u"Quillbrook"},
    {141, u"This function is avalable on a text editing box.", u"この機能はテキスト編集エリアでのみ使用できます"},
    {142, u"&Help...", u"ヘルプ...(&H)"},
    {143, u"&About Quillbrook...", u"バージョン情報...(&A)"},
    {144, u"The help file does not exist.", u"ヘルプファイルが存在しません。"},
    {145, u"Help File", u"ヘルプファイル"},
    {146, u"Backup File", u"バックアップファイル"},
    {147, u"Backup Files (*.txt)|*.txt|All Files|*.*||",
     u"テキストバックアップファイル (*.txt)|*.txt|すべてのファイル|*.*||"},
    {148, u"txt", u"txt"},
    {149, u"Default(ANSI)", u"標準(日本語 Shift JIS)"},
    {150, u"Unicode", u"Unicode"},
    {151, u"UTF-8", u"UTF-8"},
    {152, u"Japanese EUC", u"日本語 EUC"},
    {153, u"Scripts Folder", u"スクリプトフォルダ"},
    {154,
     u"Scripts folder has been changed.\nAre you sure you want to move contents of the old scripts folder to new "
     u"place?",
     u"スクリプトフォルダが変更されました。\n以前のスクリプトフォルダの内容を新しいスクリプトフォルダに移動しますか？"},
    {155, u"The new scripts folder is the old scripts folder. Nothing has been moved.",
     u"新しいスクリプトフォルダは以前のスクリプトフォルダと同じです。何も移動しませんでした。"},
    {156, u"The new scripts folder lies inside the old scripts folder. Nothing has been moved.",
     u"新しいスクリプトフォルダが以前のスクリプトフォルダの中にあります。何も移動しませんでした。"},
    {157, u"Enter a menu item name.", u"メニュー項目名を入力してください。"},
    {158,
     u"%s cannot be a menu item name. Do not use \\ / : * ? \" < > | or control characters, \".\" or \"..\", and keep "
     u"the name short.",
     u"%s はメニュー項目名にできません。\\ / : * ? \" < > | や制御文字、\".\" や \"..\" "
     u"は使わず、短い名前にしてください。"},
    {159, u"Quillbrook kept your text", u"Quillbrook がテキストを保管しました"},
    {160,
     u"The text from \"%s\" could not be put into its page. It is kept in %s. Get it back with \"Recent texts\" in a "
     u"text box's Quillbrook menu, or with quillbrook-recover.",
     u"「%s」のテキストをページに書き戻せませんでした。テキストは %s に保管されています。テキストボックスの Quillbrook "
     u"メニューの「最近のテキスト」か、quillbrook-recover で取り出せます。"},
    {161, u"The editor did not wait", u"エディタが待機しませんでした"},
    {162,
     u"%s ended at once and handed the file to an editor that was already running, so Quillbrook cannot close it with "
     u"the page. The file stays until the page goes away, and every save still reaches the page. %s",
     u"%s はすぐに終了し、すでに起動していたエディタにファイルを渡したため、Quillbrook "
     u"はページと一緒にエディタを閉じられません。ファイルはページが閉じられるまで残り、保存した内容はページに書き戻され"
     u"ます。%s"},
    {163, u"To have it closed with the page, use \"%s\" as the editor.",
     u"ページと一緒に閉じるには、エディタとして「%s」を使ってください。"},
    {164,
     u"To have it closed with the page, give the editor its option that waits (see \"Editors\" in Quillbrook's "
     u"documentation).",
     u"ページと一緒に閉じるには、エディタに終了を待つオプションを付けてください (Quillbrook "
     u"の説明書の「エディタ」を参照)。"},
    {165,
     u"Texts of %s editing sessions that a Quillbrook server left behind when it ended unexpectedly are kept in %s.",
     u"予期せず終了した Quillbrook サーバーが残した %s 件の編集中のテキストを %s に保管しました。"},
    {166,
     u"The page of \"%s\" went away while its text was open in the editor. When the editor closes, the text is kept in "
     u"%s. Get it back with \"Recent texts\" in a text box's Quillbrook menu, or with quillbrook-recover.",
     u"エディタで編集中に「%s」のページがなくなりました。エディタを閉じると、テキストは %s "
     u"に保管されます。テキストボックスの Quillbrook メニューの「最近のテキスト」か、quillbrook-recover "
     u"で取り出せます。"},
    {167, u"The editor stays open", u"エディタは開いたままです"},
    {168,
     u"The page of \"%s\" went away while its text was open in an editor in a terminal window. Quillbrook leaves the "
     u"window open, because closing it would end the editor without asking to save. Save and quit the editor as usual: "
     u"the text is then kept in %s. Get it back with \"Recent texts\" in a text box's Quillbrook menu, or with "
     u"quillbrook-recover.",
     u"ターミナルのウィンドウのエディタで編集中に「%"
     u"s」のページがなくなりました。ウィンドウを閉じるとエディタが保存を確認せずに終了するため、Quillbrook "
     u"はウィンドウを開いたままにします。いつものように保存してエディタを終了してください。テキストは %s "
     u"に保管されます。テキストボックスの Quillbrook メニューの「最近のテキスト」か、quillbrook-recover "
     u"で取り出せます。"},
    {169, u"The editor did not start", u"エディタを起動できませんでした"},
    {170,
     u"%s ended at once with status %s.%s The file stays until the page goes away. Check the editor of the menu item, "
     u"or set QUILLBROOK_EDITOR (see \"Editors\" in Quillbrook's documentation).",
     u"%s はすぐに終了しました (終了コード %s)。%s "
     u"ファイルはページが閉じられるまで残ります。メニュー項目のエディタを確認するか、QUILLBROOK_EDITOR "
     u"を設定してください (Quillbrook の説明書の「エディタ」を参照)。"},
    {171, u" It said: %s", u"エディタの出力: %s"},
}};

} // namespace quillbrook::resources
