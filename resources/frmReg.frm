' The main window. Positions and sizes are twips; each AeroButton keeps its
' own stored keys in lower case beside its extent (HIMETRIC). The pictures,
' the link's hand cursor and its address come from the executable's resources
' and its build configuration when the window loads.
Begin Form frmReg
   Caption = String "Quorvane Tessiver"
   ClientWidth = Long 7665
   ClientHeight = Long 2520
   BackColor = Long 16776960
   ScaleMode = Integer 3
   Begin TextBox txtSource
      Left = Long 240
      Top = Long 960
      Width = Long 7215
      Height = Long 375
      Text = String ""
      TabIndex = Integer 0
   End
   Begin PictureBox picN
      Left = Long 6480
      Top = Long 0
      Width = Long 975
      Height = Long 375
      TabIndex = Integer 1
      Begin Image btnMin
         Left = Long 0
         Top = Long 0
         Width = Long 375
         Height = Long 375
         ToolTipText = String "Minimize window"
      End
      Begin Image btnClose
         Left = Long 360
         Top = Long 0
         Width = Long 615
         Height = Long 375
         ToolTipText = String "Close (Alt + F4)"
      End
   End
   Begin Label lblSource
      Left = Long 240
      Top = Long 720
      Width = Long 600
      Height = Long 195
      Caption = String "Source.."
      BackStyle = Integer 0
      AutoSize = Boolean True
      TabIndex = Integer 2
   End
   Begin AeroButton cmdBrowse
      Left = Long 6360
      Top = Long 1440
      TabIndex = Integer 3
      ToolTipText = String "Select an ActiveX DLL, OCX or AX"
      _extentx = Long 1931
      _extenty = Long 661
      caption = String "Select"
      tiptext = String ""
      font = Font "MS Sans Serif" 8.25 400 0 False False False
   End
   Begin AeroButton cmdReg
      Left = Long 1560
      Top = Long 2040
      TabIndex = Integer 4
      ToolTipText = String "Click to register activeX"
      Default = Boolean True
      _extentx = Long 1931
      _extenty = Long 661
      caption = String "Register"
      tiptext = String ""
      font = Font "MS Sans Serif" 8.25 400 0 False False False
   End
   Begin AeroButton cmdUnreg
      Left = Long 2760
      Top = Long 2040
      TabIndex = Integer 5
      ToolTipText = String "Click to unregister activeX"
      _extentx = Long 1931
      _extenty = Long 661
      caption = String "Unregister"
      tiptext = String ""
      font = Font "MS Sans Serif" 8.25 400 0 False False False
   End
   Begin AeroButton cmdHome
      Left = Long 3960
      Top = Long 2040
      TabIndex = Integer 6
      ToolTipText = String "Watch our latest softwares"
      _extentx = Long 1931
      _extenty = Long 661
      caption = String "Homepage"
      tiptext = String ""
      font = Font "MS Sans Serif" 8.25 400 0 False False False
   End
   Begin AeroButton cmdAbout
      Left = Long 6360
      Top = Long 2040
      TabIndex = Integer 7
      ToolTipText = String "About us"
      _extentx = Long 1931
      _extenty = Long 661
      caption = String "About"
      tiptext = String ""
      font = Font "MS Sans Serif" 8.25 400 0 False False False
   End
   Begin AeroButton cmdCommunity
      Left = Long 5160
      Top = Long 2040
      TabIndex = Integer 8
      ToolTipText = String "Join our community & get support"
      _extentx = Long 1931
      _extenty = Long 661
      caption = String "Community"
      tiptext = String ""
      font = Font "MS Sans Serif" 8.25 400 0 False False False
   End
   Begin Label lblLink
      Left = Long 240
      Top = Long 1560
      Width = Long 2130
      Height = Long 195
      Caption = String ""
      BackStyle = Integer 0
      AutoSize = Boolean True
      ForeColor = Long 16711680
      Font = Font "MS Sans Serif" 8.25 400 0 False True False
      MousePointer = Integer 99
      TabIndex = Integer 9
   End
   Begin Image imgNormal
      Left = Long 2280
      Top = Long 3480
      Width = Long 1035
      Height = Long 300
   End
   Begin Image imgCloseD
      Left = Long 2280
      Top = Long 3840
      Width = Long 1035
      Height = Long 300
   End
   Begin Image imgCloseH
      Left = Long 2280
      Top = Long 4200
      Width = Long 1035
      Height = Long 300
   End
   Begin Image imgMinH
      Left = Long 2280
      Top = Long 4560
      Width = Long 1035
      Height = Long 300
   End
   Begin Image imgMinD
      Left = Long 2280
      Top = Long 4920
      Width = Long 1035
      Height = Long 300
   End
End
