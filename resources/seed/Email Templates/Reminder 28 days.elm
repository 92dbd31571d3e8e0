Hello *User_Name*,

Your payment of *Auction_Total* for *Auction_Name* (item number *Auction_Number*) is now four weeks overdue. The auction closed on *Auction_Close_Date* and the invoice was sent on *Invoice_Sent_Date*.

I have not heard from you in reply to my earlier reminders. If payment is not received soon, I may have to file an unpaid item report with the auction site.

I would rather not take that step, so please send your payment or contact me as soon as possible.

Best regards,

Your Seller
