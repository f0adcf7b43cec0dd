Option Compare Database
Option Explicit

Private Sub 会社名_AfterUpdate()
    If IsNull(Me!ﾌﾘｶﾞﾅ) Then
        Me!ﾌﾘｶﾞﾅ = StrConv(Me!会社名, vbNarrow)
    End If
End Sub

Private Sub 与信限度額_BeforeUpdate(Cancel As Integer)
    If Me!与信限度額 < 0 Then
        MsgBox "与信限度額は0以上です。"
        Cancel = True
    End If
End Sub
