#include "SubFunc.h"

#include "Instruments.h"

#include <QCoreApplication>
#include <utility>

namespace tervo {

namespace {

struct CodeText {
    std::int32_t code;
    const char *text;
};

constexpr CodeText kCodeTexts[] = {
    {80, QT_TRANSLATE_NOOP("GPIB", " : I/Oアドレスエラーです。確認してください。")},
    {82, QT_TRANSLATE_NOOP("GPIB", " : レジストリ設定のエラーです。")},
    {128, QT_TRANSLATE_NOOP("GPIB",
                            " : データ受信オーバー(受信)又は[SRQ]は上がっていません(ポーリング)")},
    {140, QT_TRANSLATE_NOOP("GPIB", " : 非同期関数の実行中です")},
    {141, QT_TRANSLATE_NOOP("GPIB", " : 非同期関数が強制終了されました")},
    {190, QT_TRANSLATE_NOOP("GPIB", " : イベントオブジェクトが作成できません")},
    {200, QT_TRANSLATE_NOOP("GPIB", " : スレッドが作成できません。")},
    {201, QT_TRANSLATE_NOOP("GPIB", " : 他のイベントが実行中です。")},
    {210, QT_TRANSLATE_NOOP("GPIB", " : DMAが設定できませんでした。")},
    {240, QT_TRANSLATE_NOOP("GPIB", " : [Esc]キーが押されました。")},
    {241, QT_TRANSLATE_NOOP("GPIB", " : File入出力エラーです。")},
    {242, QT_TRANSLATE_NOOP("GPIB", " : アドレス指定が間違っています。")},
    {243, QT_TRANSLATE_NOOP("GPIB", " : バッファ指定エラーです。")},
    {244, QT_TRANSLATE_NOOP("GPIB", " : 配列サイズエラーです。")},
    {245, QT_TRANSLATE_NOOP("GPIB", " : バッファが小さすぎます。")},
    {246, QT_TRANSLATE_NOOP("GPIB", " : 不正なオブジェクト名です。")},
    {247, QT_TRANSLATE_NOOP("GPIB", " : デバイス名の横のチェックが無効です。")},
    {248, QT_TRANSLATE_NOOP("GPIB", " : 不正なデータ型です。")},
    {249, QT_TRANSLATE_NOOP("GPIB", " : これ以上デバイスを追加できません。")},
    {250, QT_TRANSLATE_NOOP("GPIB", " : デバイス名が見つかりません。")},
    {251, QT_TRANSLATE_NOOP("GPIB", " : デリミタがデバイス間で違っています。")},
    {252, QT_TRANSLATE_NOOP("GPIB", " : GP-IBエラーです。確認してください。")},
    {253, QT_TRANSLATE_NOOP("GPIB", " : デリミタのみを受信しました。")},
    {254, QT_TRANSLATE_NOOP("GPIB", " : タイムアウトしました。")},
    {255, QT_TRANSLATE_NOOP("GPIB", " : パラメータエラーです。")},
};

} // namespace

std::int16_t GPIBCheckStatus(const QString &name, std::int32_t code, QString &message)
{
    message = name + QCoreApplication::translate("GPIB", " : 正常に終了しました｡");
    std::int16_t result = 0;
    const std::int32_t low = code & 255;
    if (low >= 3) {
        result = 1;
        for (const CodeText &t : kCodeTexts)
            if (t.code == low)
                message = name + QCoreApplication::translate("GPIB", t.text);
    }
    switch (code & ~255) {
    case 256:
        message += QCoreApplication::translate("GPIB", " -SRQを受信[ステータス]");
        break;
    case 512:
        message += QCoreApplication::translate("GPIB", " -IFCを受信[ステータス]");
        break;
    case 768:
        message += QCoreApplication::translate("GPIB", " -SRQとIFCを受信[ステータス]");
        break;
    default:
        break;
    }
    return result;
}

std::int32_t Instruments::GPIBBoardInit(QString &message)
{
    m_gpibTimeout = kGpibTimeout;
    if (!m_libs.gpib) {
        message.clear();
        return 1;
    }
    GpibLibrary &gp = *m_libs.gpib;
    gp.GpExit();
    if (GPIBCheckStatus(QStringLiteral("GpIni"), gp.GpIni(), message))
        return 1;
    gp.GpBoardsts(10, m_boardStatus[0]);
    gp.GpBoardsts(8, m_boardStatus[1]);
    gp.GpBoardsts(12, m_boardStatus[2]);
    gp.GpBoardsts(13, m_boardStatus[3]);
    if (m_boardStatus[0] == 0) {
        if (GPIBCheckStatus(QStringLiteral("GpIfc"), gp.GpIfc(1), message))
            return 1;
        if (GPIBCheckStatus(QStringLiteral("GpRen"), gp.GpRen(), message))
            return 1;
    }
    if (GPIBCheckStatus(QStringLiteral("GpTimeout"), gp.GpTimeout(m_gpibTimeout), message))
        return 1;
    message = QCoreApplication::translate("GPIB", "初期化を終了しました。");
    return 0;
}

} // namespace tervo
