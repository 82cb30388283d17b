// Velmora — why a photo or a correction file was refused, in the words both the window and the
// command line use.
#include "batch/failure_texts.h"

#include <QCoreApplication>

namespace velmora::text {

namespace {

// In the language the program speaks (batch/language.h).
std::string Tr(const char *source) { return QCoreApplication::translate("velmora", source).toStdString(); }

} // namespace

std::string FileFailureText(FileFailure failure)
{
    switch (failure) {
    case FileFailure::Missing: return Tr(QT_TRANSLATE_NOOP("velmora", "文件不存在"));
    case FileFailure::NotAFile: return Tr(QT_TRANSLATE_NOOP("velmora", "不是普通文件（可能是文件夹、管道或设备）"));
    case FileFailure::Unreadable: return Tr(QT_TRANSLATE_NOOP("velmora", "无法读取文件（没有权限或读取出错）"));
    case FileFailure::NoResources: return Tr(QT_TRANSLATE_NOOP("velmora", "打开的文件太多或内存不足，照片本身可能没有问题"));
    case FileFailure::NotAPicture: return Tr(QT_TRANSLATE_NOOP("velmora", "不是可识别的图片格式"));
    case FileFailure::Damaged: return Tr(QT_TRANSLATE_NOOP("velmora", "图片数据已损坏或不完整"));
    case FileFailure::TooLarge: return Tr(QT_TRANSLATE_NOOP("velmora", "图片太大，无法处理"));
    case FileFailure::OutputExists: return Tr(QT_TRANSLATE_NOOP("velmora", "输出文件已存在（用 --overwrite 允许替换）"));
    case FileFailure::OutputReadOnly: return Tr(QT_TRANSLATE_NOOP("velmora", "输出文件是只读的，未被替换"));
    case FileFailure::OutputNotWritable: return Tr(QT_TRANSLATE_NOOP("velmora", "无法在输出文件夹中写入文件（没有权限或文件夹不存在）"));
    case FileFailure::OutputWriteFailed: return Tr(QT_TRANSLATE_NOOP("velmora", "写入文件失败，磁盘可能已满"));
    case FileFailure::WouldReplaceInput: return Tr(QT_TRANSLATE_NOOP("velmora", "输出会替换原照片，已跳过"));
    case FileFailure::SameOutputTwice: return Tr(QT_TRANSLATE_NOOP("velmora", "另一张照片的输出文件同名，已跳过"));
    case FileFailure::NoOutputFolder: return Tr(QT_TRANSLATE_NOOP("velmora", "无法创建输出文件夹"));
    case FileFailure::None:
    case FileFailure::Described: break;
    }
    return {};
}

std::string CorrectionFileText(CorrectionFileError error)
{
    switch (error) {
    case CorrectionFileError::NotACorrection:
    case CorrectionFileError::TooLong: return Tr(QT_TRANSLATE_NOOP("velmora", "不是 Velmora 校正量文件"));
    case CorrectionFileError::NewerVersion: return Tr(QT_TRANSLATE_NOOP("velmora", "由更新版本的 Velmora 写出，本版本无法读取"));
    case CorrectionFileError::NoGains: return Tr(QT_TRANSLATE_NOOP("velmora", "文件中没有增益"));
    case CorrectionFileError::BadNumbers: return Tr(QT_TRANSLATE_NOOP("velmora", "文件中的数值不正确"));
    case CorrectionFileError::RepeatedKey: return Tr(QT_TRANSLATE_NOOP("velmora", "文件中有重复的项"));
    case CorrectionFileError::Unreadable: return Tr(QT_TRANSLATE_NOOP("velmora", "无法读取文件"));
    case CorrectionFileError::UnknownRule: return Tr(QT_TRANSLATE_NOOP("velmora", "文件中的校正规则无法识别（可用 design、exact、curve）"));
    case CorrectionFileError::NoColours: return Tr(QT_TRANSLATE_NOOP("velmora", "这种校正规则需要文件中同时有标准颜色和校正点颜色"));
    }
    return {};
}

} // namespace velmora::text
