<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja_JP">
<context>
    <name>GPIB</name>
    <message>
        <source> : I/Oアドレスエラーです。確認してください。</source>
        <translation> : I/O address error. Please check it.</translation>
    </message>
    <message>
        <source> : レジストリ設定のエラーです。</source>
        <translation> : Error in the registry settings.</translation>
    </message>
    <message>
        <source> : データ受信オーバー(受信)又は[SRQ]は上がっていません(ポーリング)</source>
        <translation> : Receive overrun (receiving) or [SRQ] not raised (polling)</translation>
    </message>
    <message>
        <source> : 非同期関数の実行中です</source>
        <translation> : An asynchronous function is running</translation>
    </message>
    <message>
        <source> : 非同期関数が強制終了されました</source>
        <translation> : An asynchronous function was aborted</translation>
    </message>
    <message>
        <source> : イベントオブジェクトが作成できません</source>
        <translation> : Cannot create the event object</translation>
    </message>
    <message>
        <source> : スレッドが作成できません。</source>
        <translation> : Cannot create the thread.</translation>
    </message>
    <message>
        <source> : 他のイベントが実行中です。</source>
        <translation> : Another event is running.</translation>
    </message>
    <message>
        <source> : DMAが設定できませんでした。</source>
        <translation> : Could not set up DMA.</translation>
    </message>
    <message>
        <source> : [Esc]キーが押されました。</source>
        <translation> : The [Esc] key was pressed.</translation>
    </message>
    <message>
        <source> : File入出力エラーです。</source>
        <translation> : File input/output error.</translation>
    </message>
    <message>
        <source> : アドレス指定が間違っています。</source>
        <translation> : The address is wrong.</translation>
    </message>
    <message>
        <source> : バッファ指定エラーです。</source>
        <translation> : The buffer given is wrong.</translation>
    </message>
    <message>
        <source> : 配列サイズエラーです。</source>
        <translation> : Array size error.</translation>
    </message>
    <message>
        <source> : バッファが小さすぎます。</source>
        <translation> : The buffer is too small.</translation>
    </message>
    <message>
        <source> : 不正なオブジェクト名です。</source>
        <translation> : Invalid object name.</translation>
    </message>
    <message>
        <source> : デバイス名の横のチェックが無効です。</source>
        <translation> : The check beside the device name is off.</translation>
    </message>
    <message>
        <source> : 不正なデータ型です。</source>
        <translation> : Invalid data type.</translation>
    </message>
    <message>
        <source> : これ以上デバイスを追加できません。</source>
        <translation> : No more devices can be added.</translation>
    </message>
    <message>
        <source> : デバイス名が見つかりません。</source>
        <translation> : Device name not found.</translation>
    </message>
    <message>
        <source> : デリミタがデバイス間で違っています。</source>
        <translation> : The delimiters differ between devices.</translation>
    </message>
    <message>
        <source> : GP-IBエラーです。確認してください。</source>
        <translation> : GP-IB error. Please check it.</translation>
    </message>
    <message>
        <source> : デリミタのみを受信しました。</source>
        <translation> : Only the delimiter was received.</translation>
    </message>
    <message>
        <source> : タイムアウトしました。</source>
        <translation> : Timed out.</translation>
    </message>
    <message>
        <source> : パラメータエラーです。</source>
        <translation> : Parameter error.</translation>
    </message>
    <message>
        <source> : 正常に終了しました｡</source>
        <translation> : Completed normally.</translation>
    </message>
    <message>
        <source> -SRQを受信[ステータス]</source>
        <translation> -SRQ received [status]</translation>
    </message>
    <message>
        <source> -IFCを受信[ステータス]</source>
        <translation> -IFC received [status]</translation>
    </message>
    <message>
        <source> -SRQとIFCを受信[ステータス]</source>
        <translation> -SRQ and IFC received [status]</translation>
    </message>
    <message>
        <source>初期化を終了しました。</source>
        <translation>Initialisation finished.</translation>
    </message>
</context>
<context>
    <name>Measurement</name>
    <message>
        <source>AD Board不良です</source>
        <translation>AD Board Trouble!</translation>
    </message>
    <message>
        <source>GPIB不良</source>
        <translation>GPIB Trouble!</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>TERVOを再起動後有効になります</source>
        <translation>Takes effect after TERVO is restarted.</translation>
    </message>
</context>
<context>
    <name>Smoothing</name>
    <message>
        <source>単純移動平均</source>
        <translation>Simple Moving Average</translation>
    </message>
    <message>
        <source>Savitzky-Golay法</source>
        <translation>Savitzky-Golay Method</translation>
    </message>
    <message>
        <source>間欠型ノイズ除去</source>
        <translation>Intermittent Noise Removal</translation>
    </message>
</context>
</TS>
