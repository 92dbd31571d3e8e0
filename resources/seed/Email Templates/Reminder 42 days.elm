Hello *User_Name*,

This is my final notice regarding *Auction_Name* (item number *Auction_Number*), which closed on *Auction_Close_Date*.

The invoice for *Auction_Total* was sent on *Invoice_Sent_Date*, and despite several reminders I have received neither payment nor a reply from you.

Unless your payment arrives within the next three days, I will file an unpaid item report with the auction site and claim a credit for the final value fee. The item will then be offered to other buyers.

If you have already sent your payment, please let me know right away so I can look for it.

Best regards,

Your Seller
