#include "SubFunc.h"

#include "Instruments.h"

#include <utility>

namespace tervo {

namespace {

struct CodeText {
    std::int32_t code;
    const char *text;
};

constexpr CodeText kCodeTexts[] = {
    {80, " : I/Oアドレスエラーです。確認してください。"},
    {82, " : レジストリ設定のエラーです。"},
    {128, " : データ受信オーバー(受信)又は[SRQ]は上がっていません(ポーリング)"},
    {140, " : 非同期関数の実行中です"},
    {141, " : 非同期関数が強制終了されました"},
    {190, " : イベントオブジェクトが作成できません"},
    {200, " : スレッドが作成できません。"},
    {201, " : 他のイベントが実行中です。"},
    {210, " : DMAが設定できませんでした。"},
    {240, " : [Esc]キーが押されました。"},
    {241, " : File入出力エラーです。"},
    {242, " : アドレス指定が間違っています。"},
    {243, " : バッファ指定エラーです。"},
    {244, " : 配列サイズエラーです。"},
    {245, " : バッファが小さすぎます。"},
    {246, " : 不正なオブジェクト名です。"},
    {247, " : デバイス名の横のチェックが無効です。"},
    {248, " : 不正なデータ型です。"},
    {249, " : これ以上デバイスを追加できません。"},
    {250, " : デバイス名が見つかりません。"},
    {251, " : デリミタがデバイス間で違っています。"},
    {252, " : GP-IBエラーです。確認してください。"},
    {253, " : デリミタのみを受信しました。"},
    {254, " : タイムアウトしました。"},
    {255, " : パラメータエラーです。"},
};

} // namespace

std::int16_t GPIBCheckStatus(const QString &name, std::int32_t code, QString &message)
{
    message = name + QStringLiteral(" : 正常に終了しました｡");
    std::int16_t result = 0;
    const std::int32_t low = code & 255;
    if (low >= 3) {
        result = 1;
        for (const CodeText &t : kCodeTexts)
            if (t.code == low)
                message = name + QString::fromUtf8(t.text);
    }
    switch (code & ~255) {
    case 256:
        message += QStringLiteral(" -SRQを受信[ステータス]");
        break;
    case 512:
        message += QStringLiteral(" -IFCを受信[ステータス]");
        break;
    case 768:
        message += QStringLiteral(" -SRQとIFCを受信[ステータス]");
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
    message = QStringLiteral("初期化を終了しました。");
    return 0;
}

} // namespace tervo
