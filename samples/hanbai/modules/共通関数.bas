Option Compare Database
Option Explicit

' 消費税率（1997年4月から5%）
Public Const 消費税率 As Double = 0.05

' 税込金額を円未満切り捨てで返す
Public Function 税込金額(ByVal 金額 As Currency) As Currency
    税込金額 = Int(金額 * (1 + 消費税率))
End Function

' 月末日を返す
Public Function 月末日(ByVal 日付 As Date) As Date
    月末日 = DateSerial(Year(日付), Month(日付) + 1, 0)
End Function

' 締め日（20日）から支払予定日（翌月末）を求める
Public Function 支払予定日(ByVal 請求日 As Date) As Date
    If Day(請求日) > 20 Then
        支払予定日 = 月末日(DateAdd("m", 2, 請求日))
    Else
        支払予定日 = 月末日(DateAdd("m", 1, 請求日))
    End If
End Function

' 半角カナを含む文字列の表示幅（全角=2）
Public Function 表示幅(ByVal 文字列 As String) As Integer
    Dim i As Integer, 幅 As Integer
    For i = 1 To Len(文字列)
        If Asc(Mid$(文字列, i, 1)) < 0 Or Asc(Mid$(文字列, i, 1)) > 255 Then
            幅 = 幅 + 2
        Else
            幅 = 幅 + 1
        End If
    Next i
    表示幅 = 幅
End Function

Public Sub 状態表示(ByVal 文言 As String)
    SysCmd acSysCmdSetStatus, 文言
End Sub
