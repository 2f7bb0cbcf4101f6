[Version] 2.0
# MHz S DB R 50
[Number of Ports] 2
[Two-Port Data Order] 12_21
[Number of Frequencies] 2
[Reference] 50
25
[Network Data]
1 -1 2 -3 4
-5 6 -7 8
2 -1 2 -3 4 -5 6 -7 8
[Noise Data]
1 2 3 4 5
[End]
