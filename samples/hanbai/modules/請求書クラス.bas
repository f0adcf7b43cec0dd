Option Compare Database
Option Explicit

Private m得意先ID As Long
Private m小計 As Currency
Private m明細数 As Integer

Public Property Let 得意先ID(ByVal 値 As Long)
    m得意先ID = 値
End Property

Public Property Get 得意先ID() As Long
    得意先ID = m得意先ID
End Property

Public Sub 明細追加(ByVal 単価 As Currency, ByVal 数量 As Integer, Optional ByVal 値引率 As Single = 0)
    m小計 = m小計 + 単価 * 数量 * (1 - 値引率)
    m明細数 = m明細数 + 1
End Sub

Public Property Get 合計() As Currency
    合計 = 税込金額(m小計)
End Property

Public Property Get 明細数() As Integer
    明細数 = m明細数
End Property

Private Sub Class_Initialize()
    m小計 = 0
    m明細数 = 0
End Sub
