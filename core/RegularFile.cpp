#include "core/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace fs = std::filesystem;

using Kind = FileProblem::Kind;

std::string FileProblemText(const FileProblem& problem)
{
    switch (problem.kind) {
    case Kind::None:
        return {};
    case Kind::Missing:
        return "ファイルまたはフォルダーが見つかりません。";
    case Kind::DanglingLink:
        return "リンク先のないシンボリックリンクです。";
    case Kind::Directory:
        return "フォルダーです（通常のファイルではありません）。";
    case Kind::Fifo:
        return "名前付きパイプ（FIFO）です（通常のファイルではありません）。";
    case Kind::Device:
        return "デバイスです（通常のファイルではありません）。";
    case Kind::Socket:
        return "ソケットです（通常のファイルではありません）。";
    case Kind::OtherType:
        return "通常のファイルではありません。";
    case Kind::TooLarge:
        return "ファイルが大きすぎます。";
    case Kind::DiskFull:
        return "ディスクの空き容量が足りません。";
    case Kind::SystemError:
        break;
    }
    switch (problem.error) {
    case EACCES:
    case EPERM:
        return "アクセスが許可されていません。";
    case EROFS:
        return "読み取り専用のファイルシステムです。";
    case ENAMETOOLONG:
        return "名前が長すぎます。";
    case ELOOP:
        return "シンボリックリンクが循環しているか、多すぎます。";
    case ENOTDIR:
        return "パスの途中にフォルダーでないものがあります。";
    case EIO:
        return "入出力エラーが起きました。";
    case EFBIG:
        return "ファイルの大きさの上限を超えます。";
    default:
        return "システムエラー " + std::to_string(problem.error) + "（" + std::strerror(problem.error) + "）です。";
    }
}

std::string PathText(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
